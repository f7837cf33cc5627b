#include "preview/preview_run.h"

int main(int argc, char** argv) {
    return meshlift::preview::runPreview(argc, argv);
}
