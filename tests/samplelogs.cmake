# The sample log writer, run as a program on real files.
norvale_add_test(NAME tst_samplelogs SOURCES tst_samplelogs.cpp LIBS Qt6::Core SQLite::SQLite3)
