// libFuzzer target of the report template reader: any bytes either read as a template or fail
// with the reader's own error; nothing else may happen (no crash, no other exception).
#include <cstddef>
#include <cstdint>

#include "platform/report/templatereader.h"
#include "platform/text/apperror.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        report::ReadTemplate(bytes, QStringLiteral("fuzz.fr3"));
    } catch (const AppError&) {
        // A refused template is a correct answer.
    }
    return 0;
}
