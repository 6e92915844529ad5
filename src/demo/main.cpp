// Morwenfall Tech Demo One: the demo game run by the engine, which returns the exit status.
#include "demo/demo.h"

int main(int argc, char** argv)
{
    const tarvo::GameInfo info{"morwenfall", "Morwenfall", "kelda.cfg", "kelda"};
    morwenfall::Demo demo;
    return tarvo::run(argc, argv, info, demo);
}
