#include "app/Startup.h"
#include "platform/StandardDescriptors.h"

int main(int argc, char** argv) {
    platform::OpenStandardDescriptors();
    return RunPanel(argc, argv);
}
