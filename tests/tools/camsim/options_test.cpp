// The camsim command line.

#include "tools/camsim/demoset.h"
#include "tools/camsim/options.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using camsim::Options;

bool Parse(std::vector<const char*> words, Options& options, std::string& error) {
    words.insert(words.begin(), "camsim");
    return camsim::ParseOptions(static_cast<int>(words.size()), words.data(), options, error);
}

TEST(CamsimOptionsTest, OptionsSetTheCameraItsGreetingAndItsFaults) {
    Options options;
    std::string error;
    ASSERT_TRUE(
        Parse({"--port",     "8080",          "--ftp-port", "2121",        "--model",   "Damson",
               "--firmware", "2.35",          "--ptz",      "--sources",   "2",         "--fps",
               "max",        "--size",        "CIF",        "--auth",      "digest",    "--user",
               "u",          "--password",    "p",          "--ftp-split", "--trailer", "2",
               "--chunked",  "--stall-after", "3",          "--status",    "503",       "--header-length",
               "199",        "--grey",        "--width",    "321"},
              options, error))
        << error;
    EXPECT_EQ(options.port, 8080);
    EXPECT_EQ(options.ftpPort, 2121);
    EXPECT_EQ(options.camera.model, "Damson");
    EXPECT_EQ(options.camera.firmware, "2.35");
    EXPECT_TRUE(options.camera.ptz);
    EXPECT_EQ(options.camera.sources, 2);
    EXPECT_EQ(options.camera.fps, 0);
    EXPECT_EQ(options.camera.width, 352);
    EXPECT_EQ(options.camera.height, 288);
    EXPECT_EQ(options.camera.auth, camsim::AuthMode::Digest);
    EXPECT_TRUE(options.ftp.split);
    EXPECT_EQ(options.camera.faults.trailerBytes, 2);
    EXPECT_TRUE(options.camera.faults.chunked);
    EXPECT_EQ(options.camera.faults.stallAfter, 3);
    EXPECT_EQ(options.camera.faults.status, 503);
    EXPECT_EQ(options.camera.faults.headerLength, 199);
    EXPECT_TRUE(options.camera.faults.grey);
    EXPECT_EQ(options.camera.faults.width, 321);
    ASSERT_TRUE(
        Parse({"--max-clients", "1", "--repeat-after", "5", "--silent-after-head", "--ptz"}, options, error));
    EXPECT_EQ(options.camera.maxStreamClients, 1);
    EXPECT_EQ(options.camera.faults.repeatAfter, 5);
    EXPECT_EQ(options.camera.faults.silentAfterHead, 0) << "the default when another option follows";
}

TEST(CamsimOptionsTest, StreamFormatsOfOtherServers) {
    Options options;
    std::string error;
    ASSERT_TRUE(Parse({"--boundary", "frame", "--boundary-first", "--no-boundary-in-type",
                       "--no-content-length", "--lf", "--part-header-bytes", "9000", "--size", "3840x2160"},
                      options, error))
        << error;
    const camsim::Faults& faults = options.camera.faults;
    EXPECT_EQ(faults.boundary, "frame");
    EXPECT_TRUE(faults.boundaryFirst);
    EXPECT_FALSE(faults.boundaryInType);
    EXPECT_FALSE(faults.partContentLength);
    EXPECT_TRUE(faults.lfLineEnds);
    EXPECT_EQ(faults.partHeaderBytes, 9000);
    ASSERT_TRUE(Parse({"--header-byte", "--boundary-in-picture", "--length-counts-trailer"}, options, error));
    EXPECT_TRUE(faults.headerByte && faults.boundaryInPicture);
    EXPECT_EQ(faults.lengthCountsTrailer, camsim::Faults::CountedTrailer::LineEnd) << "the default when last";
    EXPECT_EQ(options.camera.width, 3840);
    EXPECT_EQ(options.camera.height, 2160);
    Options defaults;
    EXPECT_TRUE(Parse({}, defaults, error));
    EXPECT_EQ(defaults.camera.faults.boundary, "myboundary");
    EXPECT_TRUE(defaults.camera.faults.boundaryInType && defaults.camera.faults.partContentLength);
    EXPECT_FALSE(Parse({"--boundary", "two words"}, options, error));
    EXPECT_EQ(error, "--boundary: 'two words' is not NAME");
}

TEST(CamsimOptionsTest, BadCommandLinesAreRefusedWithTheReason) {
    const struct {
        std::vector<const char*> words;
        const char* error;
    } cases[] = {
        {{"--port", "70000"}, "--port: '70000' is not N"},
        {{"--fps", "0"}, "--fps: '0' is not F|max"},
        {{"--auth", "kerberos"}, "--auth: 'kerberos' is not none|basic|digest"},
        {{"--trailer", "3"}, "--trailer: '3' is not 2|4"},
        {{"--size", "halfsize"}, "--size: 'halfsize' is not WxH"},
        {{"--close-after"}, "--close-after needs N"},
        {{"--silent-after-head", "200"}, "--silent-after-head: '200' is not BYTES"},
        {{"--length-counts-trailer", "tabs"}, "--length-counts-trailer: 'tabs' is not crlf|zeros|ff"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--auth", "basic"}, "--auth needs --user"},
    };
    for (const auto& each : cases) {
        Options options;
        std::string error;
        EXPECT_FALSE(Parse(each.words, options, error));
        EXPECT_EQ(error, each.error);
    }
}

TEST(CamsimDemoTest, DemoSetHasDistinctPortsModelsAndTheCasesTheViewerNeeds) {
    const std::vector<camsim::DemoCamera> cameras = camsim::DemoCameras();
    ASSERT_GE(cameras.size(), 5u);
    EXPECT_EQ(cameras[0].port, 18400);
    std::set<uint16_t> ports;
    std::set<std::string> models;
    bool ptz = false, sources = false, password = false, greetingOnly = false;
    for (const camsim::DemoCamera& camera : cameras) {
        EXPECT_TRUE(ports.insert(camera.port).second);
        if (camera.ftpPort != 0) {
            EXPECT_TRUE(ports.insert(camera.ftpPort).second);
        }
        models.insert(camera.config.model);
        ptz |= camera.config.ptz;
        sources |= camera.config.sources > 1;
        password |= camera.config.auth != camsim::AuthMode::None;
        greetingOnly |= !camera.config.parameterQuery && camera.ftpPort != 0;
    }
    EXPECT_GE(models.size(), 5u);
    EXPECT_TRUE(ptz && sources && password && greetingOnly);
}

} // namespace
