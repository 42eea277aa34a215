// Track playback on generated logs, offscreen with the recording globe: what the user waits
// for when choosing a log in the playback dialog and loading it through "GPS轨迹回放", and
// what one step of the timer costs on a loaded log.
//
// Run: build/bench/orvane_playback_bench (offscreen unless QT_QPA_PLATFORM says otherwise)

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <map>
#include <memory>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "bench/GeneratedDtLog.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "tests/gui/ScriptedDialogs.h"
#include "windows/FrmGPS.h"

namespace {

using orvane::test::ScriptedDialogs;

class Fixture {
  public:
    Fixture()
        : desktop_(dialogs_,
                   [this] { return std::make_unique<orvane::RecordingApplicationGE>(globe_); }) {
        desktop_.FrmMain().show();
        desktop_.FrmMain().EmbedGoogleEarth();
    }

    const QString& Log(long records) {
        QString& path = logs_[records];
        if (path.isEmpty()) {
            path = dir_.filePath(QString("dt-%1.txt").arg(records));
            orvane::bench::WriteLog(path, records);
            orvane::bench::WriteLog(dir_.filePath(QString("dt-%1.kml").arg(records)), 0);
        }
        return path;
    }

    void Choose(long records) {
        dialogs_.openPaths.push_back(Log(records));
        Gps().SpeedButton3Click();
    }

    // The menu with the dialog answered at once.
    void Load(long records) {
        Choose(records);
        QTimer::singleShot(0, &Gps(), [this] { Gps().Button3Click(); });
        desktop_.FrmMain().GPS1Click();
        globe_.calls.clear();
    }

    orvane::TFrmMain& Main() { return desktop_.FrmMain(); }
    orvane::TFrmGPS& Gps() { return desktop_.FrmGPS(); }
    orvane::RecordedGlobe& Globe() { return globe_; }

  private:
    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;
    orvane::RecordedGlobe globe_;
    orvane::Desktop desktop_;
    std::map<long, QString> logs_;
};

void DialogChoosesLog(benchmark::State& state, Fixture& fixture) {
    fixture.Log(state.range(0));
    for (auto _ : state) {
        fixture.Choose(state.range(0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void MenuLoadsLog(benchmark::State& state, Fixture& fixture) {
    fixture.Log(state.range(0));
    for (auto _ : state) {
        fixture.Load(state.range(0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void PlaybackStep(benchmark::State& state, Fixture& fixture) {
    fixture.Load(state.range(0));
    fixture.Main().BtnStartClick();
    fixture.Main().Timer1.stop();
    for (auto _ : state) {
        fixture.Main().Timer1Timer();
        fixture.Globe().calls.clear();
    }
}

void Register(const char* name, void (*run)(benchmark::State&, Fixture&), Fixture& fixture,
              int iterations) {
    auto* benchmark = benchmark::RegisterBenchmark(
        name, [run, &fixture](benchmark::State& state) { run(state, fixture); });
    benchmark->Arg(10'000)->Arg(100'000)->Arg(1'000'000);
    if (iterations > 0) {
        benchmark->Iterations(iterations)->Unit(benchmark::kMillisecond);
    } else {
        benchmark->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture fixture;
    Register("DialogChoosesLog", DialogChoosesLog, fixture, 5);
    Register("MenuLoadsLog", MenuLoadsLog, fixture, 5);
    Register("PlaybackStep", PlaybackStep, fixture, 0);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
