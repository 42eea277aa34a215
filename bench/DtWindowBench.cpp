// The drive-test window on generated logs, offscreen: what the user waits for when choosing a
// log, choosing a theme field and generating, and how much generating from the window costs
// beside the conversion procedure alone.
//
// Run: build/bench/orvane_dt_window_bench (offscreen unless QT_QPA_PLATFORM says otherwise)

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "bench/GeneratedDtLog.h"
#include "conversions/Dt2kml.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "tests/gui/ScriptedDialogs.h"
#include "tests/gui/WindowControls.h"
#include "windows/FrmDT.h"

namespace {

using orvane::test::Child;
using orvane::test::ScriptedDialogs;

constexpr int kRxLev = 3;

// One desktop with the drive-test window, and a generated log per size.
class Fixture {
  public:
    Fixture()
        : desktop_(
              dialogs_, [this] { return std::make_unique<orvane::RecordingApplicationGE>(globe_); },
              dir_.filePath("ColCfg.col")) {}

    const QString& Log(long records) {
        QString& path = logs_[records];
        if (path.isEmpty()) {
            path = dir_.filePath(QString("dt-%1.txt").arg(records));
            orvane::bench::WriteLog(path, records);
        }
        return path;
    }

    orvane::TFrmDT& Dt() { return desktop_.FrmDT(); }
    ScriptedDialogs& dialogs() { return dialogs_; }
    QString Output() const { return dir_.filePath("out.kml"); }

    void Open(long records) {
        dialogs_.openPaths.push_back(Log(records));
        Dt().SpeedButton3Click();
        dialogs_.savePaths.push_back(Output());
        Dt().SpeedButton4Click();
    }

    void ChooseRxLev() {
        {
            const QSignalBlocker quiet(Child<QComboBox>(Dt(), "CBoxFNList"));
            Child<QComboBox>(Dt(), "CBoxFNList")->setCurrentIndex(kRxLev);
        }
        Dt().CBoxFNListChange();
    }

  private:
    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;
    orvane::RecordedGlobe globe_;
    orvane::Desktop desktop_;
    std::map<long, QString> logs_;
};

void WindowOpensLog(benchmark::State& state, Fixture& fixture) {
    fixture.Log(state.range(0));
    for (auto _ : state) {
        fixture.Open(state.range(0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void WindowScansThemeField(benchmark::State& state, Fixture& fixture) {
    fixture.Open(state.range(0));
    for (auto _ : state) {
        fixture.ChooseRxLev();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void WindowGenerates(benchmark::State& state, Fixture& fixture) {
    fixture.Open(state.range(0));
    fixture.ChooseRxLev();
    for (auto _ : state) {
        fixture.Dt().Button6Click();
    }
    fixture.dialogs().messages.clear();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ProcedureAlone(benchmark::State& state, Fixture& fixture) {
    fixture.Open(state.range(0));
    fixture.ChooseRxLev();
    const orvane::DtConversionRequest request = fixture.Dt().Request();
    for (auto _ : state) {
        orvane::ConvertDtToKml(request);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Register(const char* name, void (*run)(benchmark::State&, Fixture&), Fixture& fixture) {
    benchmark::RegisterBenchmark(name,
                                 [run, &fixture](benchmark::State& state) { run(state, fixture); })
        ->Arg(10'000)
        ->Arg(100'000)
        ->Arg(1'000'000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture fixture;
    Register("WindowOpensLog", WindowOpensLog, fixture);
    Register("WindowScansThemeField", WindowScansThemeField, fixture);
    Register("WindowGenerates", WindowGenerates, fixture);
    Register("ProcedureAlone", ProcedureAlone, fixture);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
