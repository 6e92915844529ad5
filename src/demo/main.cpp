// Entry point: start the engine and run the main loop, which ends the process itself. Only
// a failure comes back here, and it is reported with exit status 1.
#include "engine/startup.h"
#include "tarvo/core/exception.h"
#include "tarvo/engine/mainloop.h"

#include <cstdio>
#include <exception>

using namespace tarvo;

int main(int argc, char** argv)
{
    try {
        initEngine(argc, argv);
        gMainLoop->run();
    } catch (const Exception& exception) {
        exception.report();
    } catch (const std::exception& exception) {
        std::fprintf(stderr, "Error: Standard library exception caught in main.\nMessage: %s\n",
                     exception.what());
        std::fflush(stderr);
    }
    return 1;
}
