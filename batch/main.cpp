// lodra05-batch: a stand register calculated from the command line.

#include "batch/batchrun.h"

int main(int argc, char** argv) {
    return lodra::batch::batchMain(argc, argv);
}
