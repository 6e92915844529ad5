// Parses kelda.cfg with libConfuse. One bad line makes the whole file count as faulty, so
// a half-read file never mixes its values with the built-in ones.
#include "tarvo/core/cfgfile.h"

#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"

#include <algorithm>
#include <confuse.h>
#include <strings.h>
#include <sys/stat.h>

namespace tarvo
{

Config* gConfig = nullptr;

namespace
{

const char* const kSourceFile = "cfgfile";
const int kUnknownResultLine = 121;

// A parser that is freed on every way out of parse().
class Parser
{
public:
    explicit Parser(cfg_opt_t* options) : cfg(cfg_init(options, CFGF_NOCASE)) {}
    ~Parser() { cfg_free(cfg); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    cfg_t* get() const { return cfg; }

private:
    cfg_t* cfg = nullptr;
};

cfg_bool_t toCfgBool(bool value)
{
    return value ? cfg_true : cfg_false;
}

const char* const kSettingKeys[] = {"fullscreen", "accelblits",     "doublebuffer",  "enablemusic",
                                    "enablesfx",  "numsfxchannels", "gifmaxseconds", "paddeadzone"};

} // namespace

void Config::parse()
{
    // The built-in values are also the option table's: an absent key reads as its default.
    const Config builtIn(filename);
    std::vector<cfg_opt_t> options = {
        CFG_BOOL("fullscreen", toCfgBool(builtIn.fullscreen), CFGF_NONE),
        CFG_BOOL("accelblits", toCfgBool(builtIn.accelblits), CFGF_NONE),
        CFG_BOOL("doublebuffer", toCfgBool(builtIn.doublebuffer), CFGF_NONE),
        CFG_BOOL("enablemusic", toCfgBool(builtIn.enablemusic), CFGF_NONE),
        CFG_BOOL("enablesfx", toCfgBool(builtIn.enablesfx), CFGF_NONE),
        CFG_INT("numsfxchannels", builtIn.numsfxchannels, CFGF_NONE),
        CFG_INT("gifmaxseconds", builtIn.gifmaxseconds, CFGF_NONE),
        CFG_INT("paddeadzone", builtIn.paddeadzone, CFGF_NONE),
    };
    for (const List& declared : lists) {
        options.push_back(CFG_STR_LIST(declared.name.c_str(), nullptr, CFGF_NONE));
    }
    options.push_back(CFG_END());
    Parser parser(options.data());
    // Set before the file is read: the file's "=" replaces them and its "+=" adds to them.
    for (const List& declared : lists) {
        for (size_t i = 0; i < declared.builtIn.size(); ++i) {
            cfg_setnstr(parser.get(), declared.name.c_str(), declared.builtIn[i].c_str(),
                        static_cast<unsigned>(i));
        }
    }
    // libConfuse's scanner ends the process when a read fails, as it does on a directory,
    // so only a regular file is handed to it.
    struct stat status = {};
    const bool regular = stat(filename.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    const int result = regular ? cfg_parse(parser.get(), filename.c_str()) : CFG_FILE_ERROR;
    switch (result) {
    case CFG_SUCCESS: {
        fullscreen = cfg_getbool(parser.get(), "fullscreen") != cfg_false;
        accelblits = cfg_getbool(parser.get(), "accelblits") != cfg_false;
        doublebuffer = cfg_getbool(parser.get(), "doublebuffer") != cfg_false;
        enablemusic = cfg_getbool(parser.get(), "enablemusic") != cfg_false;
        enablesfx = cfg_getbool(parser.get(), "enablesfx") != cfg_false;
        const long channels = cfg_getint(parser.get(), "numsfxchannels");
        numsfxchannels = static_cast<int>(std::clamp(channels, 1L, 64L));
        const long seconds = cfg_getint(parser.get(), "gifmaxseconds");
        gifmaxseconds = static_cast<int>(std::clamp(seconds, 1L, 600L));
        const long deadZone = cfg_getint(parser.get(), "paddeadzone");
        paddeadzone = static_cast<int>(std::clamp(deadZone, 0L, 32767L));
        for (List& declared : lists) {
            const char* name = declared.name.c_str();
            declared.values.clear();
            for (unsigned i = 0; i < cfg_size(parser.get(), name); ++i) {
                declared.values.push_back(cfg_getnstr(parser.get(), name, i));
            }
        }
        break;
    }
    case CFG_PARSE_ERROR:
        gLog->print("Warning: error parsing cfg file %s", filename.c_str());
        setDefaults();
        break;
    case CFG_FILE_ERROR:
        gLog->print("Warning: couldn't read defaults from %s", filename.c_str());
        setDefaults();
        break;
    default:
        throw Exception("Unknown error code from Config::parse", kSourceFile, kUnknownResultLine);
    }
}

void Config::setDefaults()
{
    std::vector<List> declared = std::move(lists);
    *this = Config(filename);
    lists = std::move(declared);
    for (List& list : lists) {
        list.values = list.builtIn;
    }
}

bool Config::addList(const std::string& name, const std::vector<std::string>& values)
{
    // The file's keys are read without regard to case.
    const auto same = [&](const char* key) { return strcasecmp(key, name.c_str()) == 0; };
    if (std::any_of(std::begin(kSettingKeys), std::end(kSettingKeys), same) ||
        std::any_of(lists.begin(), lists.end(),
                    [&](const List& list) { return same(list.name.c_str()); })) {
        return false;
    }
    lists.push_back({name, values, values});
    return true;
}

const std::vector<std::string>& Config::list(const std::string& name) const
{
    static const std::vector<std::string> kNone;
    for (const List& declared : lists) {
        if (declared.name == name) {
            return declared.values;
        }
    }
    return kNone;
}

} // namespace tarvo
