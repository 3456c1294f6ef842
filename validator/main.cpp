#include "validator/run.h"

int main(int argc, char** argv) {
    return validator::run(argc, argv);
}
