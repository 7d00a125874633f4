#include "app/CBrindleApp.h"

namespace {

CBrindleApp theApp;

}  // namespace

int main(int argc, char** argv) {
    return theApp.InitInstance(argc, argv);
}
