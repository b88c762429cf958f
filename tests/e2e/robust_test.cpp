// Runs that end badly or overlap: writers killed at random moments, and
// writers and readers working on one database at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

#include "db/tvt_check.h"
#include "e2e_util.h"

namespace {

using namespace e2e;

class Robust : public Tvtags {
  protected:
    // A tree big enough that a run takes a while: files of functions,
    // structures with members, macros and enumerations.
    std::vector<std::string> make_tree(int files)
    {
        std::vector<std::string> names;
        for (int i = 0; i < files; i++) {
            std::ostringstream s;
            for (int k = 0; k < 40; k++) {
                s << "#define M" << i << "_" << k << " " << k << "\n";
                s << "struct s" << i << "_" << k << " { int a" << k << "; char *b; };\n";
                s << "enum e" << i << "_" << k << " { E" << i << "_" << k << "_A, E" << i << "_" << k << "_B };\n";
                s << "static int f" << i << "_" << k << "(int x) { return x + " << k << "; }\n";
            }
            std::string name = "src/d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".c";
            make_dirs(at(name.substr(0, name.rfind('/'))));
            file(name, s.str());
            names.push_back(name);
        }
        return names;
    }

    // Starts tvtags with its output thrown away; the caller waits.
    pid_t start(const std::vector<std::string> &args) const
    {
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir_.path().c_str()) != 0)
                _exit(127);
            int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            setenv("TVCONFIG", dir_.path().c_str(), 1);
            std::vector<char *> argv{const_cast<char *>(exe_.c_str())};
            for (const std::string &a : args)
                argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(exe_.c_str(), argv.data());
            _exit(127);
        }
        return pid;
    }
    static int wait_for(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    std::string check(const std::string &db) const
    {
        char msg[2048];
        int n = tvt_check_file(at(db).c_str(), msg, sizeof msg);
        return n == 0 ? "" : std::to_string(n) + " faults:\n" + msg;
    }

    // The tags a database holds, independent of where they are stored:
    // "name file(line) TYPE parent-name" and the texts, sorted.
    std::vector<std::string> contents(const std::string &db) const
    {
        result_t files = run({"-filelist", db});
        std::map<std::string, std::string> file_of;   // "file#0003" -> name
        std::istringstream fl(files.out);
        for (std::string line; std::getline(fl, line);) {
            size_t colon = line.find(": ");
            if (colon == std::string::npos)
                continue;
            char id[32];
            snprintf(id, sizeof id, "file#%04lx", std::stoul(line.substr(0, colon)));
            file_of[id] = line.substr(colon + 2);
        }
        result_t list = run({"-list", db});
        EXPECT_EQ(list.status, 0);
        // A record's line, then its texts on a line of their own if it has
        // any; parents are tag numbers, given by name here.
        std::map<unsigned long, std::string> name_of;
        std::vector<std::vector<std::string>> recs;
        std::istringstream ls(list.out);
        for (std::string line; std::getline(ls, line);) {
            if (line.empty())
                continue;
            if (line.compare(0, 6, "type='") == 0) {
                if (!recs.empty())
                    recs.back()[4] = line;
                continue;
            }
            std::istringstream f(line);
            std::string num, name, where, type;
            f >> num >> name >> where >> type;
            name_of[std::stoul(num, nullptr, 16)] = name;
            size_t par = line.find(" parent=");
            std::string parent = par == std::string::npos ? "ffffffff" : line.substr(par + 8);
            recs.push_back({name, file_of[where.substr(0, 9)] + where.substr(9), type, parent, ""});
        }
        std::vector<std::string> out;
        for (auto &r : recs) {
            unsigned long pn = std::stoul(r[3], nullptr, 16);
            std::string parent = pn == 0xfffffffful ? "-" : name_of[pn];
            out.push_back(r[0] + " " + r[1] + " " + r[2] + " " + parent + " " + r[4]);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(Robust, KilledWritersLeaveADatabaseTheNextRunMends)
{
    std::vector<std::string> names = make_tree(100);
    ASSERT_EQ(run({"-q", "-o", "clean", "src"}).status, 0);
    std::vector<std::string> want = contents("clean");
    ASSERT_GT(want.size(), 100u * 160u);

    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    int killed = 0;
    for (int round = 0; round < 50; round++) {
        // Newer times on some files, so that the killed run rewrites them.
        for (int k = 0; k < 40; k++)
            set_mtime(at(names[rng() % names.size()]), round + 1);
        pid_t pid = start({"-q", "-o", "tags", "src"});
        usleep((useconds_t) (rng() % 30000));
        kill(pid, SIGKILL);
        if (wait_for(pid) == -SIGKILL)
            killed++;
        result_t next = run({"-q", "-o", "tags", "src"});
        ASSERT_EQ(next.status, 0) << "round " << round << ": " << next.err;
        ASSERT_EQ(check("tags"), "") << "round " << round;
        ASSERT_EQ(contents("tags"), want) << "round " << round;
    }
    EXPECT_GT(killed, 25);
}

TEST_F(Robust, TwoWritersAndTwoReadersAtOnce)
{
    // Readers give up on a busy database after TV_TAG_TIMEOUT seconds; on a
    // loaded machine a writer can hold it longer than the default second,
    // and this test is about what readers see, not about that limit.
    struct timeout_env_t {
        timeout_env_t() { setenv("TV_TAG_TIMEOUT", "120", 1); }
        ~timeout_env_t() { unsetenv("TV_TAG_TIMEOUT"); }
    } timeout_env;
    std::vector<std::string> names = make_tree(60);
    ASSERT_EQ(run({"-q", "-o", "clean", "src"}).status, 0);
    std::vector<std::string> want = contents("clean");
    ASSERT_EQ(run({"-q", "-o", "tags", "src/d0"}).status, 0);

    for (int round = 0; round < 4; round++) {
        for (const std::string &n : names)
            set_mtime(at(n), round + 1);
        // Each writer tags its own folders; -noprune keeps either from
        // dropping what only the other named.
        pid_t w1 = start({"-q", "-noprune", "-o", "tags", "src/d0", "src/d1", "src/d2", "src/d3"});
        pid_t w2 = start({"-q", "-noprune", "-o", "tags", "src/d4", "src/d5", "src/d6"});
        for (int k = 0; k < 3; k++) {
            result_t stats = run({"-stats", "tags"});
            EXPECT_EQ(stats.status, 0) << stats.err;
            EXPECT_NE(stats.out.find("\nFile size: "), std::string::npos) << stats.out;
            result_t list = run({"-filelist", "tags"});
            EXPECT_EQ(list.status, 0) << list.err;
        }
        EXPECT_EQ(wait_for(w1), 0);
        EXPECT_EQ(wait_for(w2), 0);
        ASSERT_EQ(check("tags"), "") << "round " << round;
        ASSERT_EQ(contents("tags"), want) << "round " << round;
    }
}

} // namespace
