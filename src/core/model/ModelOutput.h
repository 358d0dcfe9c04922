#pragma once
// What a model printed (Writeln goes to the host's standard output and error): kept within
// bounds, its beginning and its end, since a model that prints in every quantum may print
// gigabytes and the first and last lines are the ones that tell.

#include <cstddef>
#include <string>
#include <string_view>

namespace kvaril {

// What a model printed as the workbench shows it (UTF-8): the bytes taken as Windows-1251, the
// documents' encoding, and every control character but newline and tab made visible in caret
// form (^[), so that the output can neither hide the messages after it nor steer a terminal.
std::string ModelOutputText(std::string_view printed);

class TOutputCollector {
  public:
    explicit TOutputCollector(size_t headLimit = size_t{1} << 20,
                              size_t tailLimit = size_t{1} << 20)
        : headLimit_(headLimit), tailLimit_(tailLimit) {}

    void Add(const char* data, size_t size);
    // The beginning, a line saying how much was left out, and the end, as ModelOutputText.
    std::string Text() const;
    size_t Total() const { return total_; }

  private:
    size_t headLimit_, tailLimit_;
    std::string head_;
    std::string tail_;  // a ring of the last bytes once the head is full
    size_t tailStart_ = 0;
    size_t total_ = 0;
};

// Reads `fd` to its end on a thread of its own into a collector; Finish waits for the end.
class TOutputReader {
  public:
    explicit TOutputReader(int fd);  // takes the descriptor
    ~TOutputReader();
    TOutputReader(const TOutputReader&) = delete;
    TOutputReader& operator=(const TOutputReader&) = delete;
    std::string Finish();

  private:
    struct TState;
    TState* state_;
};

}  // namespace kvaril
