// Being written: see tools/CMakeLists.txt.
int main() { return 2; }
