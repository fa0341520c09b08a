#include "scripts/runner/PgnWriter.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sstream>

namespace {
// A tag value with its quotes and backslashes escaped.
std::string Quoted(const std::string& value) {
  std::string text = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  return text + "\"";
}

std::string Tag(const char* name, const std::string& value) {
  return std::string("[") + name + " " + Quoted(value) + "]\n";
}

// A comment may hold anything but its closing brace.
std::string Comment(const std::string& text) {
  std::string clean = text;
  for (char& c : clean)
    if (c == '}' || c == '{') c = '|';
  return "{" + clean + "}";
}
}  // namespace

std::string PgnWriter::Text(const GameRecord& game, const std::string& event, const std::string& date) {
  std::string text;
  text += Tag("Event", event);
  text += Tag("Site", "?");
  text += Tag("Date", date);
  text += Tag("Round", game.Round > 0 ? std::to_string(game.Round) : "?");
  text += Tag("White", game.White);
  text += Tag("Black", game.Black);
  text += Tag("Result", game.ResultText());
  if (!game.FromStandardStart) {
    text += Tag("SetUp", "1");
    text += Tag("FEN", game.StartFen);
  }
  text += Tag("PlyCount", std::to_string(game.SanMoves.size()));
  text += Tag("Termination", game.Termination);
  text += "\n";

  // Movetext as words, then lines of at most 80 columns; a comment's words
  // wrap like moves.
  std::string body = game.MoveText();
  std::string comment = game.Reason;
  for (const std::string& fault : game.Faults) comment += "; fault: " + fault;
  if (!comment.empty()) body += (body.empty() ? "" : " ") + Comment(comment);
  body += (body.empty() ? "" : " ") + std::string(game.ResultText());
  std::istringstream words(body);
  std::string word, line;
  while (words >> word) {
    if (!line.empty() && line.size() + 1 + word.size() > 80) {
      text += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  text += line + "\n\n";
  return text;
}

bool PgnWriter::Open(const std::string& path, std::string* problem) {
  file_ = std::fopen(path.c_str(), "a");
  if (file_ == nullptr) {
    *problem = path + ": " + strerror(errno);
    return false;
  }
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[16];
  std::strftime(date, sizeof date, "%Y.%m.%d", &utc);
  date_ = date;
  return true;
}

void PgnWriter::Write(const GameRecord& game) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ == nullptr) return;
  const std::string text = Text(game, Event, date_);
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

PgnWriter::~PgnWriter() {
  if (file_ != nullptr) std::fclose(file_);
}
