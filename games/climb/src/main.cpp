// Kelda's Climb: a short platform game on the Tarvo Engine.
#include "climb.h"
#include "mapcheck.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> status = climb::checkMapOption(argc, argv)) {
        return *status;
    }
    climb::Climb game;
    return tarvo::run(argc, argv, climb::gameInfo(), game);
}
