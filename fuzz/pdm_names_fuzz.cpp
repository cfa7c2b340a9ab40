// Fuzz harness: PDM part names. The input, cut at its first newline, is a
// name given to the library (number, number/revision, command-line or
// encoded name) and a file type. With the PDM manager active on an
// in-memory store holding one item, the name is encoded, converted to and
// from its command-line form, decoded, checked for existence and split into
// folder and name. Whatever succeeds must round-trip: an encoded name never
// holds '/', decodes to the number it was made from, and its command-line
// form converts back to the same number. Every host block must be given
// back at the end.
#include "cvstvshare/pdm_names.h"

#include "hx_memory.h"
#include "hx_pdm.h"
#include "vexahost/assemblies.h"
#include "vexahost/pdm.h"
#include "vexahost/session.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static bool ready = false;
    if (!ready) {
        vexa::sim::reset();
        vexa::sim::set_pdm_active(true);
        vexa::sim::set_pdm_user("user7");
        vexa::sim::add_pdm_folder("user7:tools");
        vexa::sim::add_pdm_item("P100", "Mould", {"A", "B"});
        vexa::sim::file_pdm_item("P100", "user7:tools");
        ready = true;
    }
    std::size_t blocks = vexa::sim::live_blocks();
    std::string input(reinterpret_cast<const char *>(data), size);
    if (input.find('\0') != std::string::npos)
        return 0;
    std::string name = input.substr(0, input.find('\n'));
    std::string type = input.find('\n') == std::string::npos ? "" : input.substr(input.find('\n') + 1);

    char encoded[KT_PDM_NAME_BUFFER_SIZE], cli[KT_PDM_NAME_BUFFER_SIZE], number[KT_PDM_NAME_BUFFER_SIZE];
    char folder[KT_PDM_NAME_BUFFER_SIZE], part[KT_PDM_NAME_BUFFER_SIZE];
    if (CV_KRMGR_encode_part_file_name(name.c_str(), type.c_str(), encoded) == 0) {
        if (std::strchr(encoded, '/'))
            std::abort();
        std::string expected = name.substr(0, name.find('/'));
        if (!kt_ask_krmgr_decode_name(encoded, number) || expected != number)
            std::abort();
    } else if (*encoded) {
        std::abort();
    }
    if (kt_convert_part_number_to_cli(name.c_str(), cli) == 0) {
        if (std::strncmp(cli, "@DB/", 4) != 0 || kt_convert_cli_to_part_number(cli, number) != 0 ||
            name.substr(0, name.find('/')) != number)
            std::abort();
    } else if (*cli) {
        std::abort();
    }
    if (kt_convert_cli_to_part_number(name.c_str(), number) != 0 && *number)
        std::abort();
    int exists = CV_KRMGR_ask_part_exists(name.c_str(), type.c_str());
    if (exists != 0 && exists != 1)
        std::abort();
    if (kt_ask_project_name_from_str(name.c_str(), folder, part) == 0 &&
        (std::strlen(folder) >= KT_PDM_NAME_BUFFER_SIZE || std::strchr(part, ':')))
        std::abort();
    tag_t tag = 0;
    kt_ask_folder_tag(name.c_str(), &tag);
    if (vexa::sim::live_blocks() != blocks)
        std::abort();
    return 0;
}
