// settings.ini: the profile-file rules, what the host writes on a first start,
// and how missing or vanished ports become "off".

#include "HostTestSupport.h"
#include "host/AppHost.h"
#include "host/HostSettings.h"
#include "host/ProfileFile.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <sys/resource.h>

namespace tolvane {
namespace {

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

TEST(ProfileFile, MatchesSectionsAndKeysWithoutCaseAndKeepsOtherSections) {
    ProfileFile f;
    f.FromText("[GUI]\nscale=0.750000\n[Midi]\nInDev = Port A \n");
    EXPECT_EQ(f.Get("gui", "SCALE", "x"), "0.750000");
    EXPECT_EQ(f.Get("midi", "indev", "x"), "Port A");
    EXPECT_EQ(f.Get("midi", "outdev", "fallback"), "fallback");
    EXPECT_EQ(f.Get("audio", "indev", "fallback"), "fallback");
    f.Set("MIDI", "indev", "Port B");
    f.Set("midi", "outdev", "Port C");
    f.Set("audio", "sr", "48000");
    EXPECT_EQ(f.ToText(), "[GUI]\nscale=0.750000\n[Midi]\nInDev=Port B\noutdev=Port C\n[audio]\nsr=48000\n");
}

const char* kFirstStartFile = "[audio]\ndriver=0\nindev=Default Device\noutdev=Default Device\nin1=1\nin2=2\n"
                              "out1=1\nout2=2\nbuffer=512\nsr=44100\n"
                              "[midi]\nindev=off\noutdev=off\ninchan=0\noutchan=0\n";

TEST(SettingsFile, FirstStartCreatesTheFolderAndWritesEveryKeyInOrder) {
    test::TempDataHome home;
    ASSERT_FALSE(std::filesystem::exists(home.DataFolder()));
    SettingsFile file = SettingsFile::InDataFolder();
    const HostSettings s = file.Load();
    EXPECT_EQ(s, HostSettings::FirstStart());
    EXPECT_EQ(ReadFile(home.SettingsPath()), kFirstStartFile);

    // Read back, the same settings and the same file.
    EXPECT_EQ(file.Load(), s);
    EXPECT_EQ(ReadFile(home.SettingsPath()), kFirstStartFile);
}

TEST(SettingsFile, MissingKeysTakeTheirOwnDefaultsAndTheGuiSectionSurvives) {
    test::TempDataHome home;
    WriteFile(home.SettingsPath(), "[GUI]\nscale=0.750000\n[AUDIO]\nsr=48000\nbuffer=abc\n");
    SettingsFile file = SettingsFile::InDataFolder();
    const HostSettings s = file.Load();
    EXPECT_EQ(s.sampleRate, 48000u);
    EXPECT_EQ(s.bufferSize, 512u); // present but not a number
    EXPECT_EQ(s.audioInputDevice, "Built-in Input");
    EXPECT_EQ(s.audioOutputDevice, "Built-in Output");
    EXPECT_EQ(s.midiInputPort, "no input");
    EXPECT_EQ(s.midiOutputPort, "no output");
    EXPECT_FLOAT_EQ(file.LoadGuiScale(), 0.75f);
    EXPECT_NE(ReadFile(home.SettingsPath()).find("[GUI]\nscale=0.750000\n"), std::string::npos);
}

TEST(SettingsFile, GuiScaleIsWrittenWithSixDecimalsAndBadValuesFallBackToAHalf) {
    test::TempDataHome home;
    SettingsFile file = SettingsFile::InDataFolder();
    EXPECT_FLOAT_EQ(file.LoadGuiScale(), 0.5f);
    file.SaveGuiScale(0.5f);
    EXPECT_EQ(ReadFile(home.SettingsPath()), "[GUI]\nscale=0.500000\n");
    for (const char* bad : {"0", "-1", "abc", "nan"}) {
        WriteFile(home.SettingsPath(), std::string("[gui]\nscale=") + bad + "\n");
        EXPECT_FLOAT_EQ(file.LoadGuiScale(), 0.5f) << bad;
    }
}

// Every number in settings.ini is read within the range the program offers
// (clamped to it) or as its default, and written back as read, so the file
// never keeps a value the program could not have written.
TEST(SettingsFile, NumbersAreClampedToWhatTheProgramOffersOrTakeTheirDefault) {
    struct Case {
        const char* section;
        const char* key;
        unsigned HostSettings::*member; // null: the draw scale
        const char* text;
        const char* read; // and written back
    };
    const Case cases[] = {
        {"audio", "buffer", &HostSettings::bufferSize, "1024", "1024"},
        {"audio", "buffer", &HostSettings::bufferSize, "4", "16"},
        {"audio", "buffer", &HostSettings::bufferSize, "100000", "8192"},
        {"audio", "buffer", &HostSettings::bufferSize, "-1", "512"},
        {"audio", "buffer", &HostSettings::bufferSize, "256 frames", "512"},
        {"audio", "buffer", &HostSettings::bufferSize, "99999999999999999999999", "512"},
        {"audio", "sr", &HostSettings::sampleRate, "96000", "96000"},
        {"audio", "sr", &HostSettings::sampleRate, "4294967296", "384000"},
        {"audio", "sr", &HostSettings::sampleRate, "100", "8000"},
        {"audio", "sr", &HostSettings::sampleRate, "4.41e4", "44100"},
        {"audio", "driver", &HostSettings::audioDriver, "7", "1"},
        {"audio", "in1", &HostSettings::audioInput1, "0", "1"},
        {"audio", "out2", &HostSettings::audioOutput2, "-3", "2"},
        {"midi", "inchan", &HostSettings::midiInputChannel, "17", "16"},
        {"midi", "outchan", &HostSettings::midiOutputChannel, "nan", "0"},
        {"GUI", "scale", nullptr, "0.75", "0.750000"},
        {"GUI", "scale", nullptr, "1e308", "0.500000"}, // no float holds it
        {"GUI", "scale", nullptr, "1e400", "0.500000"},
        {"GUI", "scale", nullptr, "inf", "0.500000"},
        {"GUI", "scale", nullptr, "-0.75", "0.500000"},
        {"GUI", "scale", nullptr, "1e30", "3.000000"},
        {"GUI", "scale", nullptr, "0.01", "0.333333"},
    };
    for (const Case& c : cases) {
        test::TempDataHome home;
        WriteFile(home.SettingsPath(), std::string("[") + c.section + "]\n" + c.key + "=" + c.text + "\n");
        SettingsFile file = SettingsFile::InDataFolder();
        const HostSettings s = file.Load();
        std::string read;
        if (c.member) {
            read = std::to_string(s.*c.member);
        } else {
            // What the window is opened at, and saves again when it closes.
            const float scale = file.LoadGuiScale();
            char text[32];
            std::snprintf(text, sizeof text, "%f", static_cast<double>(scale));
            read = text;
            file.SaveGuiScale(scale);
        }
        EXPECT_EQ(read, c.read) << c.key << "=" << c.text;
        ProfileFile saved;
        ASSERT_TRUE(saved.Load(home.SettingsPath()));
        EXPECT_EQ(saved.Get(c.section, c.key, ""), c.read) << c.key << "=" << c.text;
    }
    // A scale the window could never have is not written either.
    test::TempDataHome home;
    SettingsFile file = SettingsFile::InDataFolder();
    for (const float bad :
         {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        file.SaveGuiScale(bad);
        EXPECT_EQ(ReadFile(home.SettingsPath()), "[GUI]\nscale=0.500000\n") << bad;
    }
}

std::unique_ptr<AppHost> MakeHost(std::vector<std::string>* errors = nullptr) {
    auto host = std::make_unique<AppHost>(
        [](IMidiOutput&) { return std::make_unique<test::RecordingPlugin>(); }, SettingsFile::InDataFolder(),
        [errors](const std::string& text) {
            if (errors) errors->push_back(text);
        });
    host->SetPluginSettleTime(std::chrono::milliseconds(0));
    return host;
}

// A real port list (a private JACK server) that lacks the remembered names.
TEST(AppHostSettings, PortsThatAreNotPresentBecomeOffAndAreSaved) {
    test::JackServer jack;
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    struct Case {
        const char* file;
    };
    const Case cases[] = {
        {"[audio]\nsr=44100\n"}, // no "midi" section: "no input" and "no output"
        {"[midi]\nindev=Velumo Ostrel gone:in 130:0\noutdev=Velumo Ostrel gone:out 130:1\n"},
    };
    for (const Case& c : cases) {
        test::TempDataHome home;
        WriteFile(home.SettingsPath(), c.file);
        auto host = MakeHost();
        host->Initialise();
        ASSERT_TRUE(host->Transport().HasInputObject() && host->Transport().HasOutputObject());
        EXPECT_EQ(host->Settings().midiInputPort, "off");
        EXPECT_EQ(host->Settings().midiOutputPort, "off");
        ProfileFile saved;
        ASSERT_TRUE(saved.Load(home.SettingsPath()));
        EXPECT_EQ(saved.Get("midi", "indev", ""), "off") << c.file;
        EXPECT_EQ(saved.Get("midi", "outdev", ""), "off") << c.file;
    }
}

// Records the host's messages for the user.
class MessagePlugin : public test::RecordingPlugin {
public:
    void ShowHostMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Root writes into read-only folders, so the data folder is put where nobody
// can write: under a file, or past a size limit that fails the write as a
// full disk does.
TEST(AppHostSettings, SettingsThatCannotBeSavedAreToldOnceAndTheEarlierFileIsKept) {
    test::TempDataHome home;
    const std::string earlier = "[audio]\nsr=48000\n[midi]\nindev=off\noutdev=off\n";
    WriteFile(home.SettingsPath(), earlier);
    struct Case {
        const char* name;
        std::filesystem::path settings;
        rlim_t sizeLimit;
    };
    WriteFile(home.Root() / "a-file", "x");
    const Case cases[] = {
        {"folder under a file", home.Root() / "a-file" / "Tolvane" / kSettingsFileName, RLIM_INFINITY},
        {"disk full", home.SettingsPath(), 16},
    };
    for (const Case& c : cases) {
        MessagePlugin* plugin = nullptr;
        AppHost host(
            [&](IMidiOutput&) {
                auto p = std::make_unique<MessagePlugin>();
                plugin = p.get();
                return p;
            },
            SettingsFile(c.settings), [](const std::string&) {});
        host.SetPluginSettleTime(std::chrono::milliseconds(0));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tight = saved;
        tight.rlim_cur = c.sizeLimit;
        setrlimit(RLIMIT_FSIZE, &tight);
        host.Initialise();
        host.Settings().sampleRate = 96000;
        const bool saved2 = host.SaveSettings();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        EXPECT_FALSE(saved2) << c.name;
        ASSERT_EQ(plugin->messages.size(), 1u) << c.name; // once, for the start and the save
        EXPECT_NE(plugin->messages[0].find("The settings could not be saved"), std::string::npos);
        EXPECT_NE(plugin->messages[0].find(c.settings.string()), std::string::npos);
        std::ifstream in(home.SettingsPath());
        std::stringstream kept;
        kept << in.rdbuf();
        EXPECT_EQ(kept.str(), earlier) << c.name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.DataFolder()), {}), 1)
        << "a temporary file was left behind";
}

} // namespace
} // namespace tolvane
