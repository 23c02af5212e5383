// The fixed keyword tables, the words of a bus, and the warnings every reader gives.
#include <cstdio>

#include <fmt/format.h>

#include "base/files.h"
#include "base/lines.h"
#include "model/records.h"

namespace kdz {

const char null[] = "";
const char cw[] = "load_config: WARNING -";
const char pw[] = "load_params: WARNING -";

// Row order is the order in which search() tries the keywords.
const std::array<tag_entry, 17> config_tags = {{
    {"mode", KW_MODE},
    {"copy", KW_COPY},
    {"pkg", KW_PKG},
    {"cp_name", KW_CP_NAME},
    {"type", KW_TYPE},
    {"class", KW_CLASS},
    {"t_code", KW_T_CODE},
    {"sizes", KW_SIZES},
    {"irqs", KW_IRQS},
    {"ioas-primary", KW_IOAS_PRIMARY},
    {"ioas-extras", KW_IOAS_EXTRAS},
    {"extended_mem", KW_EXTENDED_MEM},
    {"can_dce", KW_CAN_DCE},
    {"bus", KW_BUS},
    {"num_ports", KW_NUM_PORTS},
    {"num_waits", KW_NUM_WAITS},
    {null, 0},
}};

const std::array<tag_entry, 8> param_tags = {{
    {"bus", KW_BUS},
    {"mode", KW_MODE},
    {"type", KW_TYPE},
    {"size", KW_SIZES},
    {"irq", KW_IRQS},
    {"ioa", KW_IOA},
    {"dpa", KW_DPA},
    {null, 0},
}};

void warn(warning_list& warnings, check_file file, int line, const char* prefix,
          const char* problem, const char* word) {
  warnings.push_back({file, line, fmt::format("{} {}: {}.", prefix, problem, visible(word))});
}

void print_warnings(const warning_list& warnings) {
  for (const reader_warning& w : warnings) {
    write_text(stdout, w.text);
    std::putchar('\n');
  }
}

int bus_of_word(const char* word) {
  switch (word[0]) {
    case 'a':
    case 'A':
      return BUS_AT;
    case 'm':
    case 'M':
      return BUS_MC;
    default:
      return 0;
  }
}

}  // namespace kdz
