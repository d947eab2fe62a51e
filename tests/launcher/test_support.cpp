// Helpers of the launcher tests.
#include "test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace launcher_test {

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "srvlaunch-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

namespace {

struct Command {
  std::vector<std::string> env_strings;
  std::vector<char*> envp;
  std::vector<std::string> argv_strings;
  std::vector<char*> argv;
};

void BuildCommand(Command& c, const fs::path& program, const std::vector<std::string>& args,
                  const std::map<std::string, std::optional<std::string>>& env) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::size_t eq = entry.find('=');
    if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [name, value] : env) {
    if (value) vars[name] = *value;
    else vars.erase(name);
  }
  for (const auto& [name, value] : vars) c.env_strings.push_back(name + "=" + value);
  for (std::string& s : c.env_strings) c.envp.push_back(s.data());
  c.envp.push_back(nullptr);
  c.argv_strings = {program.string()};
  c.argv_strings.insert(c.argv_strings.end(), args.begin(), args.end());
  for (std::string& s : c.argv_strings) c.argv.push_back(s.data());
  c.argv.push_back(nullptr);
}

}  // namespace

int Spawn(const fs::path& program, const std::vector<std::string>& args,
          const std::map<std::string, std::optional<std::string>>& env, const fs::path& cwd,
          const fs::path& log) {
  Command c;
  BuildCommand(c, program, args, env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, c.argv[0], &actions, nullptr, c.argv.data(), c.envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("posix_spawn failed");
  return pid;
}

int Wait(int pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunResult Run(const fs::path& program, const std::vector<std::string>& args,
              const std::map<std::string, std::optional<std::string>>& env, const fs::path& cwd) {
  Command c;
  BuildCommand(c, program, args, env);

  int out_pipe[2], err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, c.argv[0], &actions, nullptr, c.argv.data(), c.envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (rc != 0) {
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    throw std::runtime_error("posix_spawn failed");
  }

  RunResult result;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  while (open_count > 0) {
    if (::poll(fds, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[4096];
      const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  result.status = Wait(pid);
  return result;
}

}  // namespace launcher_test
