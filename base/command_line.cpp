// The command-line habits both programs share. A parser of their own, not getopt_long:
// getopt_long abbreviates long options, keeps its place in a bundle where no caller can
// see it (a mode option ends the options in the middle of one), and keeps that place, and
// prints its own messages, in the process's globals.
#include <fmt/format.h>

#include <algorithm>
#include <cstring>

#include "base/error.h"
#include "base/program.h"

namespace kdz {

namespace {

bool table_end(const option_row& row) {
  return row.letter == '\0' && row.name == nullptr;
}

const option_row* row_of_letter(const option_row* table, char letter) {
  for (const option_row* row = table; !table_end(*row); ++row) {
    if (row->letter == letter) return row;
  }
  return nullptr;
}

const option_row* row_of_name(const option_row* table, const char* name) {
  for (const option_row* row = table; !table_end(*row); ++row) {
    if (row->name != nullptr && std::strcmp(row->name, name) == 0) return row;
  }
  return nullptr;
}

bool fail(command_line& cl, line_fault fault, std::string named, const char* needs = nullptr) {
  cl.fault = fault;
  cl.named = std::move(named);
  cl.needs = needs;
  return false;
}

// The bundle argv[i] ("-fn", "-Cpkg"); `i` moves to the last word it took. False when the
// options end here (a fault, or a mode option, which takes the rest of its word as `mode`).
bool read_bundle(command_line& cl, int argc, char** argv, int& i, const option_row* table) {
  const char* word = argv[i];
  for (const char* c = word + 1; *c != '\0'; ++c) {
    const option_row* row = row_of_letter(table, *c);
    if (row == nullptr) return fail(cl, line_fault::unknown_option, std::string{'-', *c});
    if (row->ends_options) {
      cl.mode = std::string("-") + c;
      ++i;
      return false;
    }
    if (row->needs == nullptr) {
      cl.options.push_back({row->id, nullptr});
      continue;
    }
    if (c[1] == '\0' && i + 1 == argc) {
      return fail(cl, line_fault::missing_value, std::string{'-', *c}, row->needs);
    }
    cl.options.push_back({row->id, c[1] != '\0' ? c + 1 : argv[++i]});
    return true;
  }
  return true;
}

// The options from argv[1]; returns the index of the first word after them.
int read_options(command_line& cl, int argc, char** argv, const option_row* table) {
  int i = 1;
  for (; i < argc; ++i) {
    const char* word = argv[i];
    if (std::strcmp(word, "--") == 0) return i + 1;
    if (word[0] != '-' || word[1] == '\0') return i;
    if (word[1] != '-') {
      if (!read_bundle(cl, argc, argv, i, table)) return i;
      continue;
    }
    const option_row* row = row_of_name(table, word + 2);
    // No long option takes a value: "--name=VALUE" is one this program does not know.
    if (row == nullptr) {
      fail(cl, line_fault::unknown_option, word);
      return i;
    }
    cl.options.push_back({row->id, nullptr});
  }
  return i;
}

}  // namespace

command_line read_command_line(int argc, char** argv, const option_row* table) {
  command_line cl;
  const int first = read_options(cl, argc, argv, table);
  if (cl.fault == line_fault::none && first < argc) cl.words.assign(argv + first, argv + argc);
  return cl;
}

const char* last_value(const command_line& cl, int id) {
  const char* value = nullptr;
  for (const option_given& o : cl.options) {
    if (o.id == id) value = o.value;
  }
  return value;
}

bool given(const command_line& cl, int id) {
  return std::ranges::any_of(cl.options, [id](const option_given& o) { return o.id == id; });
}

int run_common_mode(common_mode mode, const char* name, const char* usage) {
  if (mode == common_mode::version) {
    write_text(stdout, fmt::format("{} {}\n", name, KDZ_VERSION));
  } else {
    write_text(stdout, usage);
  }
  return 0;
}

error line_fault_error(const command_line& cl) {
  if (cl.fault == line_fault::missing_value) {
    return usage_error(fmt::format("{} needs {}", cl.named, cl.needs));
  }
  return unknown_option(cl.named.c_str());
}

void append_told(fmt::memory_buffer& out, std::string_view name, const error& e) {
  out.append(name);
  out.append(std::string_view(": "));
  append_message(out, e);
  out.push_back('\n');
  if (e.kind != error_kind::usage) return;
  out.append(std::string_view("Try '"));
  out.append(name);
  out.append(std::string_view(" --help' for more information.\n"));
}

error unknown_option(const char* word) {
  return usage_error(fmt::format("unknown option {}", word));
}

error unexpected_argument(const char* word) {
  return usage_error(fmt::format("unexpected argument {}", word));
}

}  // namespace kdz
