// Kit set-up of a cvstv session (kit_setup.h).
#include "kit_setup.h"

#include "vexahost/session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace cvstv_cli {

namespace {

// Every variable through which the library finds a kit.
constexpr const char *kit_variables[] = {"KRAX_BASE_DIR",      "CAVORA_DIR",    "STRIVO_DIR",
                                         "FULGO_DIR",          "KRPRESDES_DIR", "TOOLING_BASE_DIR",
                                         "CV_STANDARDPARTPATH"};

} // namespace

bool use_kit(const std::string &dir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path base = fs::absolute(dir, ec);
    if (ec || !fs::is_directory(base, ec)) {
        std::fprintf(stderr, "cvstv: kit directory not found: %s\n", dir.c_str());
        return false;
    }
    base = base.lexically_normal();
    if (!base.has_filename())
        base = base.parent_path();
    using vexa::sim::host_path;
    using vexa::sim::set_env;
    set_env("KRAX_BASE_DIR", host_path(base.string()));
    set_env("CAVORA_DIR", host_path((base / "cavora").string()));
    set_env("STRIVO_DIR", host_path((base / "strivo").string()));
    set_env("FULGO_DIR", host_path((base / "fulgo").string()));
    set_env("KRPRESDES_DIR", host_path((base / "krautomotive" / "presdes").string()));
    set_env("TOOLING_BASE_DIR", host_path((base / "tooling").string()));
    vexa::sim::unset_env("CV_STANDARDPARTPATH");
    return true;
}

bool environment_names_a_kit()
{
    for (const char *name : kit_variables)
        if (std::getenv(name))
            return true;
    return false;
}

const char *kit_variable(int wizard_type)
{
    switch (wizard_type) {
    case 2: return "STRIVO_DIR";
    case 3: return "KRPRESDES_DIR";
    case 4: return "FULGO_DIR";
    default: return "CAVORA_DIR";
    }
}

std::string unset_variables(const std::vector<std::string> &names)
{
    std::vector<std::string> unset;
    for (const std::string &name : names)
        if (!vexa::sim::env_value(name))
            unset.push_back(name);
    if (unset.empty())
        return {};
    std::string text = unset.size() == 1 ? unset[0] + " is not set" : "neither " + unset[0];
    for (std::size_t i = 1; i < unset.size(); ++i)
        text += (i + 1 == unset.size() ? " nor " : ", ") + unset[i];
    if (unset.size() > 1)
        text += " is set";
    return text + " (give --kit DIR, or set the variable)";
}

} // namespace cvstv_cli
