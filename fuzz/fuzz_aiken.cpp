// The Aiken reader against random input (see readercheck.h).
#include "aiken.h"
#include "readercheck.h"

namespace {

// Aiken holds a question of one line with one correct option.
bool oneCorrect(const QString &text, const QStringList &options)
{
    return !text.contains(u'\n')
            && std::count_if(options.cbegin(), options.cend(),
                             [](const QString &o) { return TestLayout::isCorrect(o); })
            == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReaderCheck::check(data, size, Aiken::read, Aiken::write, oneCorrect);
    return 0;
}
