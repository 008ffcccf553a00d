// The progress line: redrawn in place on a terminal, at most once per
// percent, and cleared before any other output.
#include "progress.h"

#include <stdio.h>
#include <time.h>
#include <unistd.h>

namespace {

double Now()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

} // namespace

Progress::Progress(uint64_t total_bytes, unsigned files)
    : enabled_(isatty(2) != 0), start_(Now()), total_(total_bytes), before_(0), size_(0), done_(0),
      files_(files), index_(0), shown_(-1), width_(0)
{}

Progress::~Progress()
{
    Clear();
}

void Progress::StartFile(const std::string &label, uint64_t size)
{
    if (index_ > 0)
        before_ += size_;
    index_++;
    label_ = label;
    size_ = size;
    done_ = 0;
    shown_ = -1;
    Update(0);
}

void Progress::Update(uint64_t done)
{
    done_ = done;
    if (index_ == 0)
        return;
    if (!enabled_ || Now() - start_ < 1.0)
        return;
    int permille = size_ ? (int)(done * 1000 / size_) : 1000;
    if (permille / 10 == shown_ / 10 && shown_ >= 0)
        return;
    shown_ = permille;
    char line[512];
    int n;
    if (files_ > 1) {
        uint64_t all = before_ + done;
        n = snprintf(line, sizeof line, "\rmcftool: %s: %3d%%  (file %u of %u, %3d%% of all)",
                     label_.c_str(), permille / 10, index_, files_,
                     total_ ? (int)(all * 100 / total_) : 100);
    } else {
        n = snprintf(line, sizeof line, "\rmcftool: %s: %3d%%", label_.c_str(), permille / 10);
    }
    if (n < 0)
        return;
    size_t len = (size_t)n < sizeof line ? (size_t)n : sizeof line - 1;
    fputs(line, stderr);
    for (size_t i = len; i < width_; i++)
        fputc(' ', stderr);
    if (len > width_)
        width_ = len;
    fflush(stderr);
}

void Progress::Clear()
{
    if (width_ == 0)
        return;
    fputc('\r', stderr);
    for (size_t i = 0; i < width_; i++)
        fputc(' ', stderr);
    fputc('\r', stderr);
    fflush(stderr);
    width_ = 0;
}
