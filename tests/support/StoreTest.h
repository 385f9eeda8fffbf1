#pragma once

#include "FolderSnapshot.h"
#include "IsolatedEnvironment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace quillane::testing {

// A test of the content store in a folder of its own, with the user's folders
// pointed into another while it runs.
class StoreTest : public ::testing::Test {
protected:
    std::string StoreFolder() const { return temp.Folder() + "store/"; }

    IsolatedEnvironment environment;
    TempFolder temp;
};

}  // namespace quillane::testing
