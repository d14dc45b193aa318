// The entry point of both programs; they differ only in the display variant they link.
#include "shell/shell.h"

int main(int argc, char **argv) {
    return showcasemain(argc, argv);
}
