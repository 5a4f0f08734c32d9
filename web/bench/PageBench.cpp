// The page's own program with one more way in, for the browser edition's performance run
// (tools/measure-web-performance.mjs): kk_bench_level opens a level at once, as the desktop's
// autoplay bench does, so that level 3 can be measured without first clearing levels 1 and 2.
// Everything else is the page's program unchanged, compiled from the same source.

#include "../page/Page.cpp"

extern "C" {

/// Loads and shows level LEVEL (1 to 3) over whatever is shown; its countdown serves as usual.
EMSCRIPTEN_KEEPALIVE void kk_bench_level(int level) {
    if (g_game && level >= 1 && level <= int(flow::kLevelScreens.size())) {
        const flow::ScreenId id = flow::levelScreen(level);
        g_game->game.load(id);
        g_game->game.show(id);
    }
}

}  // extern "C"
