// Long random runs of scans, rescans, empty rescans, removals, closes and
// reopens against a model of what each file should hold.  After every step
// the checker must accept the file and the stored tags must be the model's.
#include <map>
#include <random>

#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

struct ModelFile {
    uint32_t mtime;
    std::vector<Stored> tags;   // sorted
};

class PropertyTest : public DbTest {
  protected:
    std::mt19937 rng;
    std::map<std::string, ModelFile> model;
    tvt_db_t *db = nullptr;

    int pick(int n) { return (int) (rng() % (uint32_t) n); }

    std::string random_name()
    {
        static const char *names[] = {"main", "init", "x", "y", "i", "buf", "len", "node", "next", "list_add",
                                      "Widget", "size_t", "run", "ops", "q", "value", "key", "tmp", "err", "ctx"};
        if (pick(8) == 0)
            return "u" + std::to_string(rng() % 100000);   // a name of its own
        return names[pick(20)];
    }

    std::optional<std::string> random_text()
    {
        switch (pick(5)) {
        case 0: return std::nullopt;
        case 1: return std::string();
        case 2: return std::string("int");
        case 3: return "(" + random_name() + ")";
        default: return std::string(pick(40), 'a' + (char) pick(26));
        }
    }

    // A file's scan: tags, the handles they should get, and what should be
    // stored.
    void scan_step(const std::string &file)
    {
        uint32_t mtime = rng() % 1000;
        auto found = model.find(file);
        int expect_up = found != model.end() && found->second.mtime == mtime;
        ASSERT_EQ(tvt_begin_file(db, file.c_str(), mtime), expect_up) << file;

        int n = pick(4) == 0 ? 0 : pick(40);
        std::vector<Tag> tags;          // what was staged
        std::vector<int> parent_index;
        std::vector<int> def_handles;
        std::vector<int> handle_to_index;
        uint32_t line = 1 + (uint32_t) pick(3);
        for (int i = 0; i < n; i++) {
            if (!tags.empty() && pick(10) == 0) {
                // The previous tag again, without a parent: a repeat.
                Tag again = tags.back();
                again.parent = -1;
                int h = add(db, again);
                ASSERT_EQ(h, (int) tags.size() + 1);
                continue;
            }
            Tag t;
            t.name = random_name();
            t.line = line;
            line += 1 + (uint32_t) pick(3);
            int r = pick(10);
            if (r < 3) {
                t.type = TT_XREF;
            } else if (r < 5) {
                t.type = pick(2) ? TT_STRUCT : TT_CLASS;
                if (pick(2))
                    for (int k = pick(3) + 1; k > 0; k--)
                        t.inherit.push_back(random_name());
            } else {
                static const int types[] = {TT_FUNCTION, TT_MEMBER, TT_DEFINE, TT_PROTOTYPE, TT_LOCAL, TT_METHOD};
                t.type = types[pick(6)];
                t.type_text = random_text();
                t.args = random_text();
                t.flags = pick(3) == 0 ? rng() : 0;
            }
            int parent = -1;
            if (t.type != TT_XREF && !def_handles.empty() && pick(2)) {
                parent = def_handles[(size_t) pick((int) def_handles.size())];
                t.parent = parent;
            }
            int h = add(db, t);
            ASSERT_EQ(h, (int) tags.size() + 2);
            parent_index.push_back(parent < 0 ? -1 : parent - 2);
            tags.push_back(t);
            if (t.type != TT_XREF)
                def_handles.push_back(h);
        }
        tvt_end_file(db);
        if (tags.empty() && found == model.end())
            return;   // nothing staged for a new file: it is not entered
        ModelFile &m = model[file];
        m.mtime = mtime;
        m.tags.clear();
        for (size_t i = 0; i < tags.size(); i++)
            m.tags.push_back(expect_stored(tags, parent_index, i));
        std::sort(m.tags.begin(), m.tags.end());
    }

    void reopen()
    {
        tvt_close(db);
        db = open_w(path("tags"), pick(3) == 0 ? "random run" : nullptr);
    }

    void verify(int step)
    {
        ASSERT_EQ(check(db), "") << "step " << step;
        std::map<std::string, int> present;
        const char *name;
        uint32_t t;
        int r;
        for (int id = 0; (r = tvt_file_at(db, id, &name, &t)) >= 0; id++)
            if (r == 1)
                present[name] = id;
        ASSERT_EQ(present.size(), model.size()) << "step " << step;
        for (const auto &kv : model) {
            auto it = present.find(kv.first);
            ASSERT_NE(it, present.end()) << kv.first;
            ASSERT_EQ(tvt_find_file(db, kv.first.c_str()), it->second);
            tvt_file_at(db, it->second, &name, &t);
            ASSERT_EQ(t, kv.second.mtime);
            ASSERT_EQ(stored_tags(tvt_base(db), tvt_size(db), it->second), kv.second.tags)
                << "step " << step << " file " << kv.first;
        }
    }
};

TEST_F(PropertyTest, RandomRunsMatchTheModel)
{
    for (unsigned seed = 0; seed < 3; seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        rng.seed(seed * 7919u + (unsigned) ::testing::UnitTest::GetInstance()->random_seed());
        model.clear();
        std::remove(path("tags").c_str());
        db = open_w(path("tags"));
        ASSERT_NE(db, nullptr);
        for (int step = 0; step < 250; step++) {
            int op = pick(20);
            if (op < 13) {
                std::string file = "src/f" + std::to_string(pick(30)) + ".c";
                scan_step(file);
            } else if (op < 17) {
                if (model.empty() || pick(5) == 0) {
                    ASSERT_EQ(tvt_remove_file(db, "src/none.c"), -1);
                } else {
                    auto it = model.begin();
                    std::advance(it, pick((int) model.size()));
                    ASSERT_EQ(tvt_remove_file(db, it->first.c_str()), 0);
                    model.erase(it);
                }
            } else if (op < 19) {
                reopen();
            } else {
                tvt_set_xref(db, pick(2));
            }
            if (HasFatalFailure())
                return;
            verify(step);
            if (HasFatalFailure())
                return;
        }
        tvt_close(db);
        EXPECT_EQ(check_file(path("tags")), "");
    }
}

} // namespace
