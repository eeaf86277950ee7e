# benchmarks of this area
