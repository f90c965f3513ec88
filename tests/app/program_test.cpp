// The program thread's side of the door (app/program_work.h): what the frame hands the installed
// program, and in which order.
#include "support/testing.h"

#include "app/program_work.h"
#include "app_fixture.h"

namespace mdx::test {
namespace {

// Notes each piece of work as "start", "choose Menu/Item" or "open path"; all of it comes on the
// thread that runs programinit and programpass.
class RecordingWork : public ProgramWork {
  public:
    void start() override { calls.push_back("start"); }
    void choose(const t_MenuEvent& e) override {
        calls.push_back("choose " + e.MenuTitle + "/" + e.ItemTitle);
    }
    void open(const std::string& path) override { calls.push_back("open " + path); }
    std::vector<std::string> calls;
};

TEST_F(AppTest, TheDoorGetsTheStartThenMenuChoicesBeforeDocuments) {
    const auto work = std::make_shared<RecordingWork>();
    setprogramwork(work);
    programinit();
    t_PostFileEvent("/daten/eins.mirdx", 0);
    t_MenuEventHandler(MenuItemInfo{true, "Ablage", "Neu", "", 0, 0});
    t_MenuEventHandler(MenuItemInfo{true, "Bearbeiten", "Kopieren", "", 0, 0});
    while (programpass()) {
    }
    EXPECT_EQ(work->calls,
              (std::vector<std::string>{"start", "choose Ablage/Neu", "choose Bearbeiten/Kopieren",
                                        "open /daten/eins.mirdx"}));
}

} // namespace
} // namespace mdx::test
