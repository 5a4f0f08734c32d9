// The scenario text written by the recorder is the text the parser reads: every kind of command
// goes through text and back unchanged, so a recording names exactly what was played.

#include <gtest/gtest.h>

#include <string>

#include "scenario/Formatter.h"
#include "scenario/Parser.h"

namespace kostkolam::scenario {
namespace {

TEST(ScenarioText, EveryCommandReadsBackAsTheLineItIsWrittenAs) {
    const char* const lines[] = {
        "menu frmLevel2 mnuNovaHra",
        "menu frmCihlolam mnuNovahra",
        "click frmKonec cmdNovahra",
        "click frmLevel3 cmdBod(34)",
        "key frmLevel1 65535",
        "close frmKonec",
        "advance 86400000",
        "tick frmLevel2 tmrZivot",
        "set frmLevel1 lblSko Caption  two  blanks \\\"kept\\\" ",
        "set frmLevel1 lblSko Caption ",
        "set frmLevel3 tmrHra Enabled 0",
        "set frmLevel1 shpKulicka Left -1.5",
        "set frmLevel1 cmdBod(7) Top 1e-40",
        "set frmKonec lblSko Visible 1",
        "set Module1 KrokX -32768",
        "get Module1 Index",
        "get frmLevel1 frmLevel1 ScaleHeight",
        "get frmLevel2 cmdBod(0) Height",
        "get frmKonec lblSko Caption",
        "get frmLevel1 tmrMezihra Interval",
        "dump frmKonec",
        "screens",
    };
    for (const std::string line : lines) {
        SCOPED_TRACE(line);
        const Command command = parseCommand(line);
        EXPECT_EQ(commandLine(command), line);
        EXPECT_EQ(parseCommand(commandLine(command)), command);
    }
}

// A position is written as the shortest text of the stored float, which reads back as that float.
TEST(ScenarioText, APositionIsWrittenAsTheFloatItWasReadAs) {
    const Command command = parseCommand("set frmLevel1 shpKulicka Top 130.823531");
    EXPECT_EQ(commandLine(command), "set frmLevel1 shpKulicka Top 130.82353");
    EXPECT_EQ(parseCommand(commandLine(command)), command);
}

}  // namespace
}  // namespace kostkolam::scenario
