#include "bustool.h"

int main(int argc, char **argv) { return bustool::Run(argc, argv); }
