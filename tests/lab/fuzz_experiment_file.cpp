// libFuzzer drives the experiment file reader (make fuzz): whatever the bytes, the reader either
// refuses them with one line of text or reads an experiment that writes back to itself and
// plays. Any other outcome aborts, and libFuzzer keeps the input that did it.
#include "lab/experiment_file.h"
#include "lab/lab.h"

#include <QByteArray>
#include <QString>
#include <QUtf8StringView>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>

namespace {
// The loop time played of each experiment read: its start and the actions near it. Whatever
// instants a file names, one input stays a fraction of a second under the sanitizers.
constexpr double PlayedSpan = 0.2;  // s

[[noreturn]] void fail(const char *what, const std::string &detail = {})
{
    std::fprintf(stderr, "fuzz_experiment_file: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// A refusal is shown as a sentence in a dialog and on a terminal: printable UTF-8, one line.
void checkRefusal(const std::string &why)
{
    if (why.empty())
        fail("refused without a word");
    if (!QUtf8StringView(why).isValidUtf8())
        fail("the refusal is not UTF-8", why);
    const QString words = QString::fromUtf8(why);
    if (std::any_of(words.begin(), words.end(), [](QChar c) {
            const char16_t u = c.unicode();
            return u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029;
        }))
        fail("the refusal holds a line break or a control character", why);
}

// What a reader of the lab sees must be a number, whatever the run did.
void checkReadouts(const Lab &lab)
{
    const pllmodel::LoopSimulation &loop = lab.loop();
    for (const double readout : {loop.speed(), loop.phaseError(), lab.foldedPhaseError(), lab.comparatorMean(), lab.commandMean()})
        if (!std::isfinite(readout))
            fail("a readout is not finite", std::to_string(readout) + " at " + std::to_string(loop.time()) + " s");
}

void checkPlays(const Experiment &experiment)
{
    const double end = std::min(PlayedSpan, experiment.until.value_or(PlayedSpan));
    const bool toItsEnd = experiment.until && *experiment.until <= PlayedSpan;
    // Headless, as the measures table and `pll --simulate` play it.
    Lab headless;
    headless.open(experiment);
    headless.runTo(end);
    if (headless.loop().time() != end)
        fail("the run did not reach the instant asked", std::to_string(headless.loop().time()) + " s for " + std::to_string(end));
    checkReadouts(headless);
    // Tick by tick, as the window plays it: the recorder, the response and the trail too.
    Lab shown;
    shown.open(experiment);
    const int mostTicks = int(PlayedSpan / shown.tickSpan()) + 2;
    // To its end, where a tick waits; or on to the span played.
    for (int ticks = 0; toItsEnd ? !shown.atEnd() : shown.loop().time() < end; ++ticks) {
        if (ticks == mostTicks)
            fail("the run does not move on tick by tick", std::to_string(shown.loop().time()) + " s");
        shown.advance();
    }
    if (toItsEnd && shown.loop().time() != *experiment.until)
        fail("ticks went past the run's \"until\"", std::to_string(shown.loop().time()) + " s");
    checkReadouts(shown);
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto parsed = ExperimentFile::parse(bytes);
    if (const auto *why = std::get_if<std::string>(&parsed)) {
        checkRefusal(*why);
        return 0;
    }
    const Experiment &experiment = std::get<Experiment>(parsed);
    // What the program saves, it reads back as it was.
    const QByteArray written = ExperimentFile::write(experiment);
    const auto reread = ExperimentFile::parse(written);
    if (const auto *why = std::get_if<std::string>(&reread))
        fail("the written experiment is refused", *why + "\n" + written.toStdString());
    if (std::get<Experiment>(reread) != experiment)
        fail("the written experiment reads back otherwise", written.toStdString());
    checkPlays(experiment);
    return 0;
}
