#include "document/DocumentFile.h"

#include "base/Errors.h"
#include "base/FileStreams.h"
#include "base/ValueStream.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {

void WriteDocumentTo(ByteSink& sink, TSignals& signals, TOsc& osc) {
    TValueWriter writer(sink);
    writer.WriteString(kDocumentSignature);
    writer.WriteInteger(kDocumentVersion);
    signals.WriteTo(writer);
    osc.WriteTo(writer);
    writer.FlushBuffer();
}

void ReadDocumentFrom(ByteSource& source, TSignals& signals, TOsc& osc) {
    TValueReader reader(source);
    if (reader.ReadString() != kDocumentSignature) throw EReadError(kSignatureError);
    const int version = reader.ReadInteger();
    if (version > kDocumentVersion) throw EReadError(kVersionError);
    signals.ReadFrom(reader, version);
    osc.ReadFrom(reader, version);
}

void WriteDocument(const std::string& path, TSignals& signals, TOsc& osc) {
    const bool signalsModified = signals.Modified;
    const bool oscModified = osc.Modified;
    try {
        AtomicFileSink sink(path);
        WriteDocumentTo(sink, signals, osc);
        sink.Commit();
    } catch (...) {
        // The file on disk still holds what was last saved, so the flags still tell the truth.
        signals.Modified = signalsModified;
        osc.Modified = oscModified;
        throw;
    }
}

void ReadDocument(const std::string& path, TSignals& signals, TOsc& osc) {
    FileSource source(path);
    ReadDocumentFrom(source, signals, osc);
}

}  // namespace kvaril
