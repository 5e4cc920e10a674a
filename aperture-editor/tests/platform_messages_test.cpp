#include "lumbra/platform_messages.h"

#include "platform/presenter.h"

#include <gtest/gtest.h>

namespace {

class AnsweringPresenter : public Presenter {
  public:
    std::vector<MessageBoxRequest> seen;
    int answer = IDYES;
    int runModal(CModalWindow&) override { return IDCANCEL; }
    int messageBox(const MessageBoxRequest& r) override {
        seen.push_back(r);
        return answer;
    }
    void help(const HelpRequest&) override {}
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
};

} // namespace

TEST(PlatformMessages, QuestionsAndMessagesGoThroughThePresenter) {
    AnsweringPresenter p;
    Presenter* before = setPresenter(&p);
    lumbra::PlatformMessages m;
    EXPECT_TRUE(m.askYesNo("Delete?", "Confirm:"));
    p.answer = IDNO;
    EXPECT_FALSE(m.askYesNo("Change?", "Confirm:"));
    m.showMessage("line 3: bad");
    setPresenter(before);
    ASSERT_EQ(p.seen.size(), 3u);
    EXPECT_EQ(p.seen[0].text, "Delete?");
    EXPECT_EQ(p.seen[0].caption, "Confirm:");
    EXPECT_EQ(p.seen[0].type & 0xf, unsigned(MB_YESNO));
    EXPECT_EQ(p.seen[2].text, "line 3: bad");
    EXPECT_EQ(p.seen[2].type & 0xf, unsigned(MB_OK));
}
