// What a person waits for when the register screen loads a whole company: from the
// filter's confirmation to the rows shown in the register's grid (its Qt model and a
// painting of the window included), through a real oca-appserver process over loopback,
// against the sqlite3 command line running the same selection with the same rows and
// columns. The two are interleaved, several rounds at each size; and the memory the
// register holds above its empty screen, and the server's, against the answer's size.
//
// Usage: bench_load [SIZE...] [--rounds N] [--postgres URL]
//   (default sizes 10000 100000, 5 rounds). With --postgres the company of each size is a
//   schema of its own on that database, and psql runs the selection instead of sqlite3.
//   One line per size starting with "load" gives the figures for bench/compare.
#include "appserver/jsonrpc.h"
#include "appserver/server.h"
#include "bench_support.h"
#include "core/packet_json.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/data/client_dataset.h"
#include "framework/host/host_context.h"
#include "framework/net/net_connection.h"
#include "framework/script/scripted_ui_driver.h"
#include "qt/form_view.h"
#include "qt/snapshot.h"
#include "register/Cli_oca0080a.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QTableView>
#include <QWidget>

#include <httplib.h>

#include <malloc.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

/// A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
long StatusKb(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atol(line.c_str() + std::string(key).size() + 1);
        }
    }
    return 0;
}

/// The resident size once it has stopped falling (for at most three seconds): a reload
/// frees the old rows on another thread, and what the register holds is what is left.
long SettledRssKb(pid_t pid) {
    long last = StatusKb(pid, "VmRSS");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (int steady = 0; steady < 4 && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const long now = StatusKb(pid, "VmRSS");
        steady = now < last - 1024 ? 0 : steady + 1;
        last = std::min(last, now);
    }
    return last;
}

/// Resets the peak resident size of a process, so the next peak is one load's.
void ResetPeak(pid_t pid) {
    std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5";
}

/// Counts the paints of a widget: the rows are shown once the grid has painted them.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~PaintWatch() override { widget_->removeEventFilter(this); }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;
    int Paints() const { return paints_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints_ += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    QWidget* widget_;
    int paints_ = 0;
};

using bench::BinDir;
using bench::Everything;
using bench::PlainSql;

struct Stats {
    double min, median, max;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

struct SizeResult {
    int size;
    Stats load, cli;
    double answerMb, clientPeakMb, clientRestMb, serverPeakMb, serverIdleMb, serverAfterMb;
};

void Run(const std::string& command, const char* what) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "%s falhou\n", what);
        std::exit(1);
    }
}

// The company of `size` occurrences (made on first use) and the command line that runs
// the same selection on it.
struct Company {
    std::string url;
    std::string cli;
};

Company MakeCompany(int size, const std::string& postgres) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("oca_load_" + std::to_string(size))).string();
    std::filesystem::create_directories(dir);
    const std::string sqlFile = dir + "/selecao.sql";
    std::ofstream(sqlFile) << PlainSql() << ";\n";
    const std::string init =
        BinDir() + "/oca-dbinit --demo --occurrences " + std::to_string(size) + " >/dev/null --db ";
    if (!postgres.empty()) {
        const std::string schema = "oca_load_" + std::to_string(size);
        Run("psql '" + postgres + "' -qAt -c 'CREATE SCHEMA IF NOT EXISTS " + schema +
                "' >/dev/null",
            "psql");
        const std::string url = postgres + (postgres.find('?') == std::string::npos ? "?" : "&") +
                                "options=-csearch_path%3D" + schema;
        Run(init + "'" + url + "'", "oca-dbinit");
        return {url, "psql '" + url + "' -qAt -f " + sqlFile + " > /dev/null"};
    }
    const std::string file = dir + "/empresa.sqlite";
    if (!std::filesystem::exists(file)) {
        Run(init + "sqlite:" + file, "oca-dbinit");
    }
    return {"sqlite:" + file, "sqlite3 " + file + " < " + sqlFile + " > /dev/null"};
}

// The register screen as the desktop has it, signed in to the server on `port`, its grid
// rendered by Qt off screen; the filter's confirmation loads the whole company.
class Screens {
public:
    Screens(int port, const std::string& companyUrl) {
        SetUi(&ui_);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().branch = "0001";
        Host().activeModule = 30;
        Host().configDir = (std::filesystem::temp_directory_path() /
                            ("oca_bench_cfg_" + std::to_string(::getpid())))
                               .string();
        companyDb_ = oca::db::Database::Open(companyUrl);
        TADOIBQuery::SetDefaultDatabase(companyDb_.get());
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        frmParecerOcorrAtend = Application->CreateForm<TfrmParecerOcorrAtend>();
        ui_.QueueModal([](TForm& form) {
            form.Close(); // the first filter is left: the screen stands empty
            return mrNone;
        });
        frmParecerOcorrAtend->Show();
        view_ = std::make_unique<oca::qt::FormView>(*frmParecerOcorrAtend);
        view_->Root()->resize(1200, 800);
        view_->Root()->show();
        QApplication::processEvents();
        grid_ = qobject_cast<QTableView*>(view_->WidgetNamed("dbgPadrao"));
        if (!grid_) {
            std::fprintf(stderr, "a grade do cadastro não foi encontrada\n");
            std::exit(1);
        }
    }
    ~Screens() {
        view_.reset();
        if (frmFiltroOcorAte) {
            Application->Release(frmFiltroOcorAte);
        }
        Application->Release(frmParecerOcorrAtend);
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        TADOIBQuery::SetDefaultDatabase(nullptr);
        std::filesystem::remove_all(Host().configDir);
        Host() = HostContext();
        SetUi(nullptr);
    }
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    /// Confirms the filter for every branch and date, then waits for the rows on screen;
    /// the seconds from the confirmation, and the rows the grid shows.
    std::pair<double, int> LoadAll() {
        Clock::time_point start;
        ui_.QueueModal([&start](TForm& form) {
            auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
            f.depPerIni->UserType("01012000");
            f.depPerFin->UserType("31122099");
            start = Clock::now();
            f.sbtConfirma->UserClick();
            return mrNone;
        });
        // The grid paints its first rows on the event loop's next turn, as on a desktop; a
        // window that painted nothing is rendered by hand so no load is timed short.
        const PaintWatch grid(grid_->viewport());
        frmParecerOcorrAtend->UserShortCut("Ctrl+L");
        QApplication::processEvents();
        if (grid.Paints() == 0) {
            view_->Root()->grab();
        }
        const double seconds = Since(start);
        return {seconds, grid_->model()->rowCount()};
    }

private:
    ScriptedUiDriver ui_;
    std::unique_ptr<oca::db::Database> companyDb_;
    std::unique_ptr<oca::qt::FormView> view_;
    QTableView* grid_ = nullptr;
};

SizeResult Measure(int size, int rounds, const std::string& postgres) {
    const Company company = MakeCompany(size, postgres);
    const std::string& cli = company.cli;
    const bench::ServerProcess server(company.url);
    SizeResult r{};
    r.size = size;
    {
        // The answer's size, as it travels.
        TNetConnection net;
        server.Connect(net);
        httplib::Client raw("127.0.0.1", server.Port());
        raw.set_read_timeout(600, 0);
        raw.set_default_headers(
            {{"Oca-Sessao", net.SignIn("001", "senha001", "0001", 30).session}});
        const auto body = raw.Post("/rpc/OCA0080A.rdmOcorAtendimento",
                                   oca::server::MakeRpcRequest(1, "GetMovOcorr", Everything()),
                                   "application/json");
        r.answerMb = body ? body->body.size() / 1e6 : 0;
    }
    r.serverIdleMb = StatusKb(server.Pid(), "VmRSS") / 1e3;
    std::vector<double> loads, clis;
    const pid_t self = ::getpid();
    Screens screens(server.Port(), company.url);
    // The register's footprint with its screen empty: what a load adds is measured from it.
    ::malloc_trim(0);
    const long empty = StatusKb(self, "VmRSS");
    for (int round = 0; round < rounds; ++round) {
        ResetPeak(self);
        ResetPeak(server.Pid());
        const auto [seconds, shown] = screens.LoadAll();
        loads.push_back(seconds);
        if (shown != size) {
            std::fprintf(stderr, "a grade mostra %d de %d\n", shown, size);
        }
        // Held as the system sees it: what the process's heap keeps counts too.
        r.clientPeakMb = std::max(r.clientPeakMb, (StatusKb(self, "VmHWM") - empty) / 1e3);
        r.clientRestMb = std::max(r.clientRestMb, (SettledRssKb(self) - empty) / 1e3);
        r.serverPeakMb = std::max(r.serverPeakMb, StatusKb(server.Pid(), "VmHWM") / 1e3);
        const auto start = Clock::now();
        if (std::system(cli.c_str()) != 0) {
            std::fprintf(stderr, "a linha de comando falhou\n");
        }
        clis.push_back(Since(start));
    }
    r.serverAfterMb = StatusKb(server.Pid(), "VmRSS") / 1e3;
    r.load = Of(loads);
    r.cli = Of(clis);
    return r;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    oca::qt::EnsureApplication();
    std::vector<int> sizes;
    int rounds = 5;
    std::string postgres;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--postgres" && i + 1 < argc) {
            postgres = argv[++i];
        } else {
            sizes.push_back(std::atoi(arg.c_str()));
        }
    }
    if (sizes.empty()) {
        sizes = {10000, 100000};
    }
    std::printf("%9s %9s %9s %9s %9s %8s %8s %9s %9s %9s %9s\n", "rows", "load min", "load med",
                "cli min", "cli med", "ratio", "ratio", "answer", "client", "client", "server");
    std::printf("%9s %9s %9s %9s %9s %8s %8s %9s %9s %9s %9s\n", "", "s", "s", "s", "s", "min",
                "median", "MB", "peak MB", "rest MB", "peak MB");
    std::vector<SizeResult> results;
    for (int size : sizes) {
        const SizeResult r = Measure(size, rounds, postgres);
        results.push_back(r);
        std::printf("%9d %9.3f %9.3f %9.3f %9.3f %8.2f %8.2f %9.1f %9.1f %9.1f %9.1f\n", r.size,
                    r.load.min, r.load.median, r.cli.min, r.cli.median, r.load.min / r.cli.min,
                    r.load.median / r.cli.median, r.answerMb, r.clientPeakMb, r.clientRestMb,
                    r.serverPeakMb);
        std::printf("%9s server resident: %.1f MB idle, %.1f MB after the loads\n", "",
                    r.serverIdleMb, r.serverAfterMb);
        std::printf("load rows=%d screen_min=%.3f screen_med=%.3f screen_max=%.3f cli_min=%.3f "
                    "cli_med=%.3f cli_max=%.3f answer_mb=%.1f client_peak_mb=%.1f "
                    "client_held_mb=%.1f server_peak_mb=%.1f\n",
                    r.size, r.load.min, r.load.median, r.load.max, r.cli.min, r.cli.median,
                    r.cli.max, r.answerMb, r.clientPeakMb, r.clientRestMb, r.serverPeakMb);
        std::fflush(stdout);
    }
    for (size_t i = 1; i < results.size(); ++i) {
        std::printf("growth %d -> %d: load %.1fx, command line %.1fx (rows %.0fx)\n",
                    results[i - 1].size, results[i].size,
                    results[i].load.median / results[i - 1].load.median,
                    results[i].cli.median / results[i - 1].cli.median,
                    static_cast<double>(results[i].size) / results[i - 1].size);
    }
    return 0;
}
