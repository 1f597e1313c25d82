#include "app.h"

int main(int argc, char** argv) { return iohost::Main(argc, argv); }
