// The case folders' expected files, their setup, and what no run may change.
#include "tests/support/golden.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace support {

constexpr uid_t NOBODY = 65534;

std::string masked(std::string text, const fs::path& top) {
  const std::string real = fs::canonical(top).string();
  for (std::size_t at = 0; (at = text.find(real, at)) != std::string::npos; at += 3) {
    text.replace(at, real.size(), "TOP");
  }
  return text;
}

bool regenerating() {
  const char* regen = std::getenv("KDZ_REGEN_GOLDEN");
  return regen != nullptr && std::string(regen) == "1";
}

void expect_file(const std::string& actual, const fs::path& path, const std::string& absent) {
  if (!regenerating()) {
    EXPECT_EQ(actual, read_file(path, absent)) << path;
    return;
  }
  // A file left out because it holds the default stays left out.
  if (actual == absent && !fs::exists(path)) return;
  write_file(path, actual);
}

std::vector<std::string> words_of(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

namespace {

void give_to_nobody(const fs::path& stage) {
  if (geteuid() != 0) return;
  lchown(stage.c_str(), NOBODY, NOBODY);
  for (const auto& e : fs::recursive_directory_iterator(stage)) {
    lchown(e.path().c_str(), NOBODY, NOBODY);
  }
}

// Carries out one directive `w` on `name` (the entry it makes or changes); false when it
// failed, and false with `known` false when there is no such directive.
bool directive(const std::vector<std::string>& w, const fs::path& stage, const fs::path& name,
               run_plan& plan, bool& known) {
  const std::string& d = w[0];
  const std::size_t n = w.size();
  known = true;
  if (d == "user" && n == 2 && w[1] == "nobody") {
    plan.as_nobody = true;
    give_to_nobody(stage);
  } else if (d == "fsize" && n == 2) {
    plan.file_size = std::stol(w[1]);
  } else if (d == "stdout" && n == 2) {
    plan.out = w[1];
  } else if ((d == "no_locks" || d == "unnamed") && n == 1) {
    (d == "no_locks" ? plan.no_locks : plan.unnamed) = true;
  } else if (d == "mkdir" && n == 2) {
    return mkdir(name.c_str(), 0755) == 0;
  } else if (d == "fifo" && n == 2) {
    return mkfifo(name.c_str(), 0644) == 0;
  } else if (d == "symlink" && n == 3) {
    return symlink(w[2].c_str(), name.c_str()) == 0;
  } else if (d == "link" && n == 3) {
    return link((stage / w[2]).c_str(), name.c_str()) == 0;
  } else if (d == "chmod" && n == 3) {
    return chmod(name.c_str(), static_cast<mode_t>(std::stoul(w[1], nullptr, 8))) == 0;
  } else if (d == "chown" && n == 2) {
    return geteuid() != 0 || lchown(name.c_str(), NOBODY, NOBODY) == 0;
  } else {
    known = false;
  }
  return known;
}

// The program the first word of a call names, copied to where it names it.
void copy_program(const std::string& word, const fs::path& cwd, bool no_locks) {
  const bool editor = word.ends_with("editpar");
  const char* from = editor ? (no_locks ? EDITPAR_NO_LOCKS : EDITPAR_BIN)
                            : (no_locks ? BUILDC_NO_LOCKS : BUILDC_BIN);
  fs::copy_file(from, cwd / word, fs::copy_options::overwrite_existing);
}

// Whether the entry `name` is what a killed run leaves: a staging name or a change record,
// gone after a writing run that succeeds.
bool left_by_killed_run(const std::string& name) {
  static const std::regex staging("\\..+\\.kdz-[0-9]+-[0-9]+");
  const std::string base = fs::path(name).filename().string();
  return base == ".kdz-change" || std::regex_match(base, staging);
}

}  // namespace

bool set_up(const std::string& setup, const fs::path& stage, run_plan& plan) {
  std::istringstream lines(setup);
  for (std::string line; std::getline(lines, line);) {
    const auto w = words_of(line.substr(0, line.find('#')));
    if (w.empty()) continue;
    // The entry a directive makes or changes: its last word but for "symlink" and "link".
    const bool makes = w[0] == "symlink" || w[0] == "link";
    const fs::path name = w.size() > 1 ? stage / (makes ? w[1] : w.back()) : stage;
    bool known = true;
    const bool ok = directive(w, stage, name, plan, known);
    if (!known) {
      ADD_FAILURE() << "unknown setup line: " << line;
      return false;
    }
    if (!ok) ADD_FAILURE() << "setup failed: " << line;
    if (w[0] != "user" && plan.as_nobody && w.size() > 1) lchown(name.c_str(), NOBODY, NOBODY);
  }
  return true;
}

bool stage_case(const fs::path& src, const fs::path& top, staged_case& c) {
  const std::string folder = src.parent_path().filename().string();
  std::istringstream lines(read_file(src / "calls", read_file(src / "args", "./" + folder)));
  for (std::string line; std::getline(lines, line);) c.calls.push_back(line);
  c.plan.cwd = top / "cwd";
  c.plan.in = fs::exists(src / "answers") ? src / "answers" : "/dev/null";
  c.plan.out = top / "stdout";
  c.plan.err = top / "stderr";
  c.stage = (c.plan.cwd / words_of(c.calls.at(0)).at(0)).parent_path();
  fs::create_directories(c.stage);
  if (fs::exists(src / "in")) fs::copy(src / "in", c.stage, fs::copy_options::recursive);
  for (const auto& call : c.calls) copy_program(words_of(call).at(0), c.plan.cwd, false);
  if (!set_up(read_file(src / "setup"), c.stage, c.plan)) return false;
  for (const auto& call : c.calls) {
    if (c.plan.no_locks) copy_program(words_of(call).at(0), c.plan.cwd, true);
  }
  age(c.stage);
  return true;
}

case_result run_calls(staged_case& c) {
  case_result r;
  for (const std::string& call : c.calls) {
    c.plan.argv = words_of(call);
    c.plan.exe = c.plan.cwd / c.plan.argv[0];
    r.last = run(c.plan);
    r.statuses += std::to_string(r.last) + "\n";
    if (!c.plan.out.string().starts_with("/dev/")) r.out += read_file(c.plan.out);
    r.err += read_file(c.plan.err);
  }
  return r;
}

bool lock_file(const std::string& name) {
  return fs::path(name).filename() == ".kdz-lock";
}

void expect_run_leftovers(const tree& before, const tree& after, int status,
                          std::set<std::string>& want) {
  for (const auto& [name, e] : before) {
    if (status == 0 && left_by_killed_run(name)) want.erase(name);
  }
  bool changed = false;
  for (const auto& [name, e] : after) {
    const auto was = before.find(name);
    changed |=
        !lock_file(name) && e.kind == 'f' && (was == before.end() || was->second.bytes != e.bytes);
  }
  for (const auto& [name, e] : after) {
    if (!lock_file(name) || before.contains(name)) continue;
    want.insert(name);
    EXPECT_TRUE(changed || status != 0) << name << " made by a run that changed nothing";
  }
}

std::vector<std::string> broken_promises(const tree& before, const tree& after) {
  std::vector<std::string> broken;
  for (const auto& [name, now] : after) {
    const auto was = before.find(name);
    if (was == before.end()) {
      const auto file = before.find(name.substr(0, name.size() - 4));
      const bool old_copy = name.ends_with(".old") && file != before.end();
      const mode_t want = old_copy ? file->second.mode : 0644;
      if (now.kind == 'f' && now.mode != want)
        broken.push_back(name + ": new file with other bits");
      continue;
    }
    const entry& e = was->second;
    if (now.kind != e.kind) broken.push_back(name + ": became another kind of file");
    if (now.kind != 'f') continue;
    if (now.mode != e.mode) broken.push_back(name + ": permission bits changed");
    if (now.uid != e.uid || now.gid != e.gid) broken.push_back(name + ": owner changed");
    if (now.bytes == e.bytes && now.mtime_ns != e.mtime_ns) {
      broken.push_back(name + ": rewritten with the same bytes");
    }
  }
  return broken;
}

}  // namespace support
