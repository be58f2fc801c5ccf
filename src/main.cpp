#include "app/Application.h"

int main(int argc, char** argv) {
    return RunTarvex(argc, argv);
}
