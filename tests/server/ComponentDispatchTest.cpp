#include <gtest/gtest.h>

#include "ComponentDispatch.h"
#include "ComponentTestSupport.h"
#include "WebServerRequest.h"

namespace quillane {
namespace {

using testing::RegisterAnswering;
using testing::TestClassId;

std::optional<TClassId> ClassFor(const std::string& path) {
    TWebServerRequest request(80, "127.0.0.1", {});
    request.SetText(fiPathInfo, path);
    return FindComponentClass(request);
}

const auto kNothing = [](IAppRequest&) {};

TEST(FindComponentClass, PlainFilePathsNameNoComponent) {
    for (const char* path : {"", "/", "//x", "/temppack11.cab", "/sub/temppack11.cab", "/script.js", "/app.exe",
                             "/{bad}", "/{00000000-0000-0000-0000-000000000000}x"})
        EXPECT_FALSE(ClassFor(path)) << path;
}

TEST(FindComponentClass, AClassIdentifierIsFoundUnregistered) {
    EXPECT_EQ(ClassFor("/{00000000-0000-0000-0000-000000000000}/x"), TClassId{});
    EXPECT_EQ(ClassFor("{00000000-0000-0000-0000-000000000000}"), TClassId{});
    EXPECT_EQ(ClassFor("/{5a111e00-0001-4000-8000-0000000000AB}/a/b"), TestClassId(0xAB));
    // The braces must hold the whole first segment.
    EXPECT_FALSE(ClassFor("/x/{00000000-0000-0000-0000-000000000000}"));
}

TEST(FindComponentClass, ExecutableNamesOfRegisteredComponents) {
    const auto byPath = RegisterAnswering(TestClassId(1), "", "/opt/quillane/bin/Hello.exe", kNothing);
    const auto byDrive = RegisterAnswering(TestClassId(2), "", "C:Other.EXE", kNothing);
    const auto bare = RegisterAnswering(TestClassId(3), "", "bare.exe", kNothing);
    EXPECT_EQ(ClassFor("/hello.EXE/run"), TestClassId(1));
    EXPECT_EQ(ClassFor("/other.exe"), TestClassId(2));
    EXPECT_EQ(ClassFor("/BARE.exe"), TestClassId(3));
    EXPECT_FALSE(ClassFor("/bin/Hello.exe"));
    EXPECT_FALSE(ClassFor("/Hello.exe.cab"));
}

TEST(FindComponentClass, ProgrammaticIdentifiersExceptForScripts) {
    const auto library = RegisterAnswering(TestClassId(4), "Quillane.Hello", "", kNothing);
    const auto script = RegisterAnswering(TestClassId(5), "Tools.JS", "", kNothing);
    const auto exeNamed = RegisterAnswering(TestClassId(6), "Runner.exe", "", kNothing);
    EXPECT_EQ(ClassFor("/quillane.hello"), TestClassId(4));
    EXPECT_EQ(ClassFor("/Quillane.Hello/more/parts"), TestClassId(4));
    EXPECT_FALSE(ClassFor("/Tools.JS"));
    // A ".exe" name that no executable has is still looked up as a programmatic identifier.
    EXPECT_EQ(ClassFor("/runner.exe"), TestClassId(6));
}

TEST(FindComponentClass, ExecutableNamesComeBeforeProgrammaticIdentifiers) {
    const auto byName = RegisterAnswering(TestClassId(7), "Both.exe", "", kNothing);
    const auto byExecutable = RegisterAnswering(TestClassId(8), "", "/bin/both.exe", kNothing);
    EXPECT_EQ(ClassFor("/both.exe"), TestClassId(8));
}

TEST(ComponentRegistry, RegistrationLastsAsLongAsItsHandle) {
    auto& registry = TComponentRegistry::System();
    {
        auto first = RegisterAnswering(TestClassId(9), "Quillane.Handle", "handle.exe", kNothing);
        EXPECT_EQ(registry.ClassOfProgId("quillane.handle"), TestClassId(9));
        {
            // The latest registration of a name counts while it lives.
            const auto second = RegisterAnswering(TestClassId(10), "Quillane.Handle", "", kNothing);
            EXPECT_EQ(registry.ClassOfProgId("Quillane.Handle"), TestClassId(10));
        }
        EXPECT_EQ(registry.ClassOfProgId("Quillane.Handle"), TestClassId(9));
        // A moved handle keeps the registration; the moved-from one no longer owns it.
        TComponentRegistration moved = std::move(first);
        EXPECT_TRUE(registry.FactoryOf(TestClassId(9)));
        auto other = RegisterAnswering(TestClassId(11), "", "", kNothing);
        other = std::move(moved);
        EXPECT_FALSE(registry.FactoryOf(TestClassId(11)));
        EXPECT_EQ(registry.ClassOfExecutable("HANDLE.EXE"), TestClassId(9));
    }
    EXPECT_FALSE(registry.ClassOfProgId("Quillane.Handle"));
    EXPECT_FALSE(registry.ClassOfExecutable("handle.exe"));
    EXPECT_FALSE(registry.FactoryOf(TestClassId(9)));
}

}  // namespace
}  // namespace quillane
