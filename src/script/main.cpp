// kostkolam-script: plays a scenario from standard input against the headless game.

#include <iostream>

#include "script/ScriptRunner.h"

int main() {
    std::ios::sync_with_stdio(false);
    kostkolam::script::ScriptRunner runner(std::cout);
    return runner.run(std::cin, std::cerr);
}
