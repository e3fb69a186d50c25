#include "RunPool.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

std::string EncodeResult(const TBotLevelResult& r) {
  char line[320];
  std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d %d %d %d %lld %d %d %d %d %d %d %d %d %d %d\n", r.Won,
                r.TimeOver, r.NoMoves, r.Stuck, r.LevelTime, r.SecondsLeft, r.Moves, r.Refused, r.Blank, r.BoxesLeft,
                static_cast<long long>(r.Ticks), r.Spells, r.Retries, r.GameOver, r.Aborted, r.Start.Score,
                r.Start.Lives, r.Start.NextLifeScore, r.End.Score, r.End.Lives, r.End.NextLifeScore);
  return line;
}

bool DecodeResult(const std::string& text, TBotLevelResult& r) {
  int won = 0, timeOver = 0, noMoves = 0, stuck = 0, gameOver = 0;
  long long ticks = 0;
  if (std::sscanf(text.c_str(), "%d %d %d %d %d %d %d %d %d %d %lld %d %d %d %d %d %d %d %d %d %d", &won, &timeOver,
                  &noMoves, &stuck, &r.LevelTime, &r.SecondsLeft, &r.Moves, &r.Refused, &r.Blank, &r.BoxesLeft, &ticks,
                  &r.Spells, &r.Retries, &gameOver, &r.Aborted, &r.Start.Score, &r.Start.Lives,
                  &r.Start.NextLifeScore, &r.End.Score, &r.End.Lives, &r.End.NextLifeScore) != 21)
    return false;
  r.Won = won;
  r.TimeOver = timeOver;
  r.NoMoves = noMoves;
  r.Stuck = stuck;
  r.GameOver = gameOver;
  r.Ticks = ticks;
  return true;
}

bool TRunPool::Launch(size_t id, const TRunTask& task) {
  int fds[2];
  if (pipe(fds) != 0) {
    std::perror("levelbot: pipe");
    return false;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const TBotLevelResult r =
        Game_.PlayLevel(Pack_, task.Level, task.Seed, Settings_, task.HasProfile ? &task.Profile : nullptr);
    if (!r.Error.empty()) std::fprintf(stderr, "levelbot: %s\n", r.Error.c_str());
    // The board at the end, after the numbers, for --verbose.
    const std::string text = EncodeResult(r) + r.FinalBoard;
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = write(fds[1], text.data() + done, text.size() - done);
      if (n <= 0) _exit(3);
      done += static_cast<size_t>(n);
    }
    // No destructors: the copy of the game simply ends.
    _exit(r.Error.empty() ? 0 : 2);
  }
  close(fds[1]);
  if (pid < 0) {
    std::perror("levelbot: fork");
    close(fds[0]);
    return false;
  }
  Busy_.push_back({pid, fds[0], id});
  return true;
}

void TRunPool::WaitOne(size_t& id, TBotLevelResult& result) {
  result = {};
  for (;;) {
    int status = 0;
    const pid_t done = wait(&status);
    if (done < 0 && errno == EINTR) continue;
    for (size_t i = 0; i < Busy_.size(); ++i) {
      if (Busy_[i].Pid != done) continue;
      std::string text;
      char buffer[4096];
      ssize_t n = 0;
      while ((n = read(Busy_[i].Fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
      close(Busy_[i].Fd);
      id = Busy_[i].Id;
      Busy_.erase(Busy_.begin() + static_cast<long>(i));
      if (!DecodeResult(text, result)) {
        result.Error = "the run ended without a result";
      } else {
        const size_t eol = text.find('\n');
        if (eol != std::string::npos) result.FinalBoard = text.substr(eol + 1);
      }
      return;
    }
    if (done < 0) {
      // No child left to wait for: should not happen while runs are busy.
      id = Busy_.empty() ? 0 : Busy_.front().Id;
      if (!Busy_.empty()) {
        close(Busy_.front().Fd);
        Busy_.erase(Busy_.begin());
      }
      result.Error = "the run's process was lost";
      return;
    }
  }
}
