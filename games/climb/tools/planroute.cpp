// planroute: turns a route (what to press, and until what happens) into a tick-exact input
// plan, by playing the level with the game's own rules. The golden run was planned this way,
// not played: the route says "hold right until x >= 900", the plan says at which tick.
//
// usage: planroute MAP ROUTE PLAN
//
// Route lines, one command each ('#' starts a comment):
//   start                   press jump on the title; the level starts on the next tick
//   (pause and back pause the level as the game does, pause and jump resume it)
//   hold ACTION | release ACTION
//   tap ACTION [TICKS]      down now, up TICKS ticks later (1 by default)
//   wait TICKS
//   show                    print the player's state
//   until COND              run one tick, then more until COND holds: x >= N, x <= N, y >= N, y <=
//   N (the
//                           player's box, whole pixels), floor, air, rising, falling,
//                           alive, complete
// The plan has one line per event: TICK ACTION down|up.
#include "world.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tarvo/tiles/level.h>
#include <vector>

namespace
{

struct Event {
    uint32_t tick;
    std::string action;
    bool down;
};

class Planner
{
public:
    explicit Planner(const tarvo::TileMap& map) : world(map) {}

    bool command(const std::string& line, std::string& error);
    const std::vector<Event>& events() const { return plan; }
    const climb::World& played() const { return world; }

private:
    void change(const std::string& action, bool down);
    void tick();
    bool holds(const std::string& what, const std::string& op, int value) const;

    climb::World world;
    std::vector<Event> plan;
    std::set<std::string> heldNow;
    std::set<std::string> wentDown; // this tick's presses
    std::multimap<uint32_t, std::string> releases;
    uint32_t now = 0;
    bool started = false;
    bool levelRuns = false;
    bool paused = false;
};

void Planner::change(const std::string& action, bool down)
{
    if (heldNow.count(action) == size_t(down)) {
        return;
    }
    plan.push_back({now, action, down});
    if (down) {
        heldNow.insert(action);
        wentDown.insert(action);
    } else {
        heldNow.erase(action);
    }
}

// One tick as the game runs it: this tick's events, then the update.
void Planner::tick()
{
    for (auto due = releases.begin(); due != releases.end() && due->first <= now;) {
        change(due->second, false);
        due = releases.erase(due);
    }
    // The pause screen as the game has it: pause or back opens it, pause or jump resumes,
    // and the level stands still in between.
    const bool pausing =
        wentDown.count("pause") || (paused ? wentDown.count("jump") : wentDown.count("back"));
    if (levelRuns && pausing) {
        paused = !paused;
    } else if (levelRuns && !paused) {
        climb::Controls controls;
        controls.left = heldNow.count("left");
        controls.right = heldNow.count("right");
        controls.down = heldNow.count("down");
        controls.jumpHeld = heldNow.count("jump");
        controls.jumpPressed = wentDown.count("jump");
        world.step(controls, now);
        for (const std::string& line : world.lines()) {
            std::printf("%s\n", line.c_str());
        }
    }
    levelRuns = levelRuns || started;
    wentDown.clear();
    ++now;
}

bool Planner::holds(const std::string& what, const std::string& op, int value) const
{
    const climb::Body& body = world.player();
    const std::map<std::string, int> values = {{"x", body.box.x >> 8}, {"y", body.box.y >> 8}};
    const auto found = values.find(what);
    if (found != values.end()) {
        return op == ">=" ? found->second >= value : found->second <= value;
    }
    if (what == "floor") {
        return body.onFloor && !world.hurt();
    }
    if (what == "air") {
        return !body.onFloor;
    }
    if (what == "rising") {
        return body.vy < 0;
    }
    if (what == "falling") {
        return body.vy > 0;
    }
    if (what == "alive") {
        return !world.hurt();
    }
    return what == "complete" && world.complete();
}

bool Planner::command(const std::string& line, std::string& error)
{
    std::istringstream words(line.substr(0, line.find('#')));
    std::string verb, what, op;
    int value = 1;
    if (!(words >> verb)) {
        return true;
    }
    if (verb == "start") {
        change("jump", true);
        releases.emplace(now + 1, "jump");
        started = true;
        tick();
    } else if (verb == "show") {
        const climb::Body& body = world.player();
        std::printf("tick %u: x %d, y %d, vx %d, vy %d, floor %d, coins %d\n", now, body.box.x >> 8,
                    body.box.y >> 8, body.vx, body.vy, body.onFloor, world.coinsTaken());
    } else if (verb == "hold" && words >> what) {
        change(what, true);
    } else if (verb == "release" && words >> what) {
        change(what, false);
    } else if (verb == "tap" && words >> what) {
        words >> value;
        change(what, true);
        releases.emplace(now + uint32_t(value), what);
    } else if (verb == "wait" && words >> value) {
        for (int i = 0; i < value; ++i) {
            tick();
        }
    } else if (verb == "until" && words >> what) {
        words >> op >> value;
        for (int limit = 0; limit == 0 || !holds(what, op, value); ++limit) {
            if (limit == 3000 || world.complete()) {
                error = "never happens";
                return false;
            }
            tick();
        }
    } else {
        error = "cannot read the command";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: planroute MAP ROUTE PLAN\n");
        return 2;
    }
    tarvo::TileMap map;
    std::string error;
    if (!tarvo::loadLevelFromFile(argv[1], map, error)) {
        std::fprintf(stderr, "planroute: %s\n", error.c_str());
        return 1;
    }
    Planner planner(map);
    std::ifstream route(argv[2]);
    std::string line;
    for (int number = 1; std::getline(route, line); ++number) {
        if (!planner.command(line, error)) {
            const climb::Body& body = planner.played().player();
            std::fprintf(stderr, "planroute: %s:%d: %s (x %d, y %d)\n", argv[2], number,
                         error.c_str(), body.box.x >> 8, body.box.y >> 8);
            return 1;
        }
    }
    std::ofstream plan(argv[3]);
    for (const Event& event : planner.events()) {
        plan << event.tick << ' ' << event.action << ' ' << (event.down ? "down" : "up") << '\n';
    }
    const climb::World& world = planner.played();
    std::printf("ticks %u, coins %d of %zu, deaths %d, complete %d\n", world.ticks(),
                world.coinsTaken(), world.coins().size(), world.deaths(), world.complete());
    return 0;
}
