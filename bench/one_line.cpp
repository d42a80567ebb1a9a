// The yardstick for a process's start-up: a dynamically linked C++ program
// that prints one line.
#include <iostream>

int main() { std::cout << "one line\n"; }
