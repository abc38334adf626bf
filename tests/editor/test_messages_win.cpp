// Private window messages: a value shared by two messages, or one inside the
// system's range, would send a pane's notice to the wrong handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editor/PrivateMessages.h"
#include "updater/UpdaterMessages.h"

namespace {

void ExpectDistinctPrivate(std::vector<UINT> messages) {
  for (UINT m : messages) EXPECT_GE(m, static_cast<UINT>(WM_USER));
  std::sort(messages.begin(), messages.end());
  EXPECT_EQ(std::adjacent_find(messages.begin(), messages.end()), messages.end());
}

TEST(PrivateMessagesTest, EachProgramsMessagesAreDistinctAndPrivate) {
  using namespace orbiform;
  ExpectDistinctPrivate({TWM_UPDATE_STEP, TWM_REFRESH, TWM_CHANGED, TWM_SELECT_PLAIN, TWM_SELECT_POINT,
                         TWM_SELECT, TWM_SELECT_NONE, TWM_RELOAD, TWM_SELECT_LAYER, TWM_DELETE_KEY,
                         TWM_SEARCH_UPDATES});
  using namespace updater;
  ExpectDistinctPrivate({UM_TRAY, UM_NEXT_STEP, UM_FILE_STARTED, UM_FILES_DONE, UM_INFOS_DONE});
}

}  // namespace
