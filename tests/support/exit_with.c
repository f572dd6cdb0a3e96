/* Exits with the code given as its first argument (for process-start tests). */
#include <stdlib.h>
int main(int argc, char **argv) { return argc > 1 ? atoi(argv[1]) : 0; }
