// The editor's history under a long session: 10 000 single-cell strokes, each one step. How much
// memory the steps take, how long one undo takes with all of them behind it, and how long a new
// stroke takes on top of them (a stroke must stay instant however long the session was).
#include <malloc.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QUndoStack>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "editor/dialogs.h"
#include "editor/form1.h"
#include "shared/board_file.h"
#include "shared/board_model.h"

namespace {

constexpr int kStrokes = 10000;

// Answers nothing: the benchmark never opens a dialog.
class NoDialogs final : public editor::Dialogs {
  public:
    void ShowOpen(editor::CommonDialog&) override {}
    void ShowSave(editor::CommonDialog&) override {}
    void MessageBox(const std::string&, const std::string&) override {}
    int Ask(const editor::Question& question) override { return question.DefaultButton; }
};

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// An editor with a two-brick board and `strokes` single-cell strokes in its history, each of
// them a click with the other brick than the cell held.
struct Session {
    QTemporaryDir folder;
    core::Board board;
    NoDialogs dialogs;
    std::unique_ptr<editor::Form1> form;
    int next = 0;

    Session() {
        core::Board file;
        file.Bricks.resize(2);
        file.Bricks[1].Pixels.fill(0x80);
        const std::string path = folder.filePath(QStringLiteral("two.brd")).toStdString();
        core::SaveBoard(path, file);
        form = std::make_unique<editor::Form1>(board, dialogs);
        form->OpenBoardFile(path);
    }

    void Stroke() {
        const int cell = next % core::kCellCount;
        const float x = static_cast<float>(30 * (cell % 20) + 10);
        const float y = static_cast<float>(15 * (cell / 20) + 5);
        form->SelectBrick((next / core::kCellCount) % 2 == 0 ? 1 : 0);
        form->PicDisp_MouseMove(0, 0, x, y);
        form->PicDisp_MouseDown(1, 0, x, y);
        form->PicDisp_MouseUp(1, 0, x, y);
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
        if (session->form->History().count() != kStrokes) {
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
        session.form->Undo();
        state.PauseTiming();
        session.form->Redo();
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
        session.form->Undo();  // the history stays 10 000 steps long
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OneStrokeOn10000Strokes)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // The window is never shown; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
