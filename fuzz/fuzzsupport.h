#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

namespace wagetrove::fuzz {

/// Stops the run, as a crash the fuzzer reports and keeps the input of, when a property of the readers fails.
inline void require(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

/// The fuzzer's input as the bytes a file or a request brings: a copy, ended by a zero as every QByteArray is.
inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

/// Qt's warnings about damaged input would drown the fuzzer's own output; fatal messages still abort. Every
/// harness includes this header, so the handler is installed before the first input in each.
inline const bool kQtMessagesSilenced = [] {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return true;
}();

} // namespace wagetrove::fuzz
