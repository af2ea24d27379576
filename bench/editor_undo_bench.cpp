// The editor's history under a long session: 10 000 single-cell strokes on the board document,
// each one step. How much memory the steps take, how long one undo takes with all of them behind
// it, and how long a new stroke takes on top of them (a stroke must stay instant however long
// the session was). The document needs no window, so neither does this.
#include <malloc.h>

#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "editor/board_document.h"
#include "shared/board_model.h"

namespace {

constexpr int kStrokes = 10000;

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// A document with a two-brick board and `strokes` single-cell strokes in its history, each of
// them a click with the other brick than the cell held.
struct Session {
    core::Board board;
    editor::BoardDocument document{board};
    int next = 0;

    Session() {
        editor::BoardFiles files;
        files.Load = [](const std::string&, core::Board& into) {
            into = core::Board{};
            into.Bricks.resize(2);
            into.Bricks[1].Pixels.fill(0x80);
        };
        document.Open(files, "two.brd");
    }

    void Stroke() {
        const int cell = next % core::kCellCount;
        document.Select((next / core::kCellCount) % 2 == 0 ? 1 : 0);
        document.StrokeTo({cell % core::kColumns, cell / core::kColumns}, editor::kLeftButton);
        document.EndStroke();
        ++next;
    }
};

void BM_HistoryOf10000Strokes(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<Session>();
        const std::size_t before = HeapInUse();
        state.ResumeTiming();
        for (int i = 0; i < kStrokes; ++i) {
            session->Stroke();
        }
        state.PauseTiming();
        bytes = HeapInUse() - before;
        if (session->document.StepCount() != kStrokes) {
            state.SkipWithError("a stroke was not one step");
        }
        session.reset();
        state.ResumeTiming();
    }
    state.counters["history_bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_stroke"] = static_cast<double>(bytes) / kStrokes;
}
BENCHMARK(BM_HistoryOf10000Strokes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OneUndoAfter10000Strokes(benchmark::State& state) {
    Session session;
    for (int i = 0; i < kStrokes; ++i) {
        session.Stroke();
    }
    for (auto _ : state) {
        session.document.Undo();
        state.PauseTiming();
        session.document.Redo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OneUndoAfter10000Strokes)->Unit(benchmark::kMicrosecond);

void BM_OneStrokeOn10000Strokes(benchmark::State& state) {
    Session session;
    for (int i = 0; i < kStrokes; ++i) {
        session.Stroke();
    }
    for (auto _ : state) {
        session.Stroke();
        state.PauseTiming();
        session.document.Undo();  // the history stays 10 000 steps long
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OneStrokeOn10000Strokes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
