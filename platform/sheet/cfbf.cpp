#include "platform/sheet/cfbf.h"

#include "platform/sheet/book.h"

#include <QtEndian>
#include <cstring>

namespace sheet::cfbf {

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFree = 0xFFFFFFFF;
constexpr quint32 kMaxRegular = 0xFFFFFFFA;
constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

}  // namespace

bool HasSignature(const QByteArray& bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.constData(), kSignature, 8) == 0;
}

const char* Container::Sector(quint32 index) const {
    const quint64 offset = (static_cast<quint64>(index) + 1) * sectorSize_;
    if (index > kMaxRegular || offset + sectorSize_ > static_cast<quint64>(bytes_.size())) {
        Damaged();
    }
    return bytes_.constData() + offset;
}

Container::Container(const QByteArray& bytes) : bytes_(bytes) {
    if (bytes_.size() < 512 || !HasSignature(bytes_)) {
        Damaged();
    }
    const char* h = bytes_.constData();
    const quint16 shift = U16(h + 0x1E);
    if (shift != 9 && shift != 12) {
        Damaged();
    }
    sectorSize_ = 1u << shift;
    miniCutoff_ = U32(h + 0x38);
    const quint32 fatSectors = U32(h + 0x2C);
    const quint32 dirStart = U32(h + 0x30);
    const quint32 miniFatStart = U32(h + 0x3C);
    const quint32 miniFatSectors = U32(h + 0x40);
    quint32 difatNext = U32(h + 0x44);
    const quint32 difatSectors = U32(h + 0x48);
    const quint64 sectorCount = static_cast<quint64>(bytes_.size()) / sectorSize_;
    if (fatSectors > sectorCount || difatSectors > sectorCount || miniFatSectors > sectorCount) {
        Damaged();
    }

    // The sector numbers of the allocation table: 109 in the header, the rest in DIFAT sectors.
    std::vector<quint32> fatSectorList;
    for (int i = 0; i < 109; ++i) {
        const quint32 s = U32(h + 0x4C + 4 * i);
        if (s != kFree) {
            fatSectorList.push_back(s);
        }
    }
    const quint32 perSector = sectorSize_ / 4;
    for (quint32 d = 0; d < difatSectors && difatNext != kEndOfChain && difatNext != kFree; ++d) {
        const char* p = Sector(difatNext);
        for (quint32 i = 0; i + 1 < perSector; ++i) {
            const quint32 s = U32(p + 4 * i);
            if (s != kFree) {
                fatSectorList.push_back(s);
            }
        }
        difatNext = U32(p + 4 * (perSector - 1));
    }
    if (fatSectorList.size() > sectorCount) {
        Damaged();
    }
    fat_.reserve(fatSectorList.size() * perSector);
    for (quint32 s : fatSectorList) {
        const char* p = Sector(s);
        for (quint32 i = 0; i < perSector; ++i) {
            fat_.push_back(U32(p + 4 * i));
        }
    }

    // Directory entries of 128 bytes along the directory chain.
    const QByteArray dir = ReadChain(dirStart, 0, false);
    for (qsizetype off = 0; off + 128 <= dir.size(); off += 128) {
        const char* e = dir.constData() + off;
        const quint16 nameBytes = U16(e + 0x40);
        // A name holds at most 32 UTF-16 units; readers that trust a longer length read past
        // the entry.
        if (nameBytes > 64) {
            Damaged();
        }
        Entry entry;
        if (nameBytes >= 2 && nameBytes <= 64) {
            entry.name =
                QString::fromUtf16(reinterpret_cast<const char16_t*>(e), nameBytes / 2 - 1);
        }
        entry.type = static_cast<unsigned char>(e[0x42]);
        entry.start = U32(e + 0x74);
        entry.size = U32(e + 0x78);
        if (sectorSize_ == 4096) {
            entry.size |= static_cast<quint64>(U32(e + 0x7C)) << 32;
        }
        entries_.push_back(entry);
    }
    if (entries_.empty() || entries_[0].type != 5) {
        Damaged();
    }
    // The small streams live in the root entry's stream, allocated by the mini table.
    if (miniFatSectors > 0 && miniFatStart != kEndOfChain) {
        const QByteArray mini = ReadChain(miniFatStart, 0, false);
        for (qsizetype i = 0; i + 4 <= mini.size(); i += 4) {
            miniFat_.push_back(U32(mini.constData() + i));
        }
        miniStream_ = ReadChain(entries_[0].start, entries_[0].size, false);
    }
}

QByteArray Container::ReadChain(quint32 start, quint64 size, bool mini) const {
    const std::vector<quint32>& table = mini ? miniFat_ : fat_;
    const quint32 unit = mini ? 64 : sectorSize_;
    if (size > static_cast<quint64>(bytes_.size())) {
        Damaged();  // a stream can never be larger than the file that holds it
    }
    QByteArray out;
    quint32 s = start;
    quint64 steps = 0;
    while (s != kEndOfChain) {
        if (s >= table.size() || ++steps > table.size()) {
            Damaged();  // out of the table, or a loop
        }
        if (mini) {
            const quint64 offset = static_cast<quint64>(s) * unit;
            if (offset + unit > static_cast<quint64>(miniStream_.size())) {
                Damaged();
            }
            out.append(miniStream_.constData() + offset, unit);
        } else {
            out.append(Sector(s), unit);
        }
        if (size > 0 && static_cast<quint64>(out.size()) >= size) {
            // The chain must end with the stream: a reader that follows the chain rather than
            // the size would read on into whatever the longer chain points at.
            if (table[s] != kEndOfChain) {
                Damaged();
            }
            break;
        }
        s = table[s];
    }
    if (size > 0) {
        if (static_cast<quint64>(out.size()) < size) {
            Damaged();  // the chain ends before the stream does
        }
        out.truncate(static_cast<qsizetype>(size));
    }
    return out;
}

QStringList Container::StreamNames() const {
    QStringList names;
    for (const Entry& e : entries_) {
        if (e.type == 2) {
            names.append(e.name);
        }
    }
    return names;
}

std::optional<QByteArray> Container::ReadStream(const QString& name) const {
    for (const Entry& e : entries_) {
        if (e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (e.size == 0) {
                return QByteArray();
            }
            return ReadChain(e.start, e.size, e.size < miniCutoff_);
        }
    }
    return std::nullopt;
}

}  // namespace sheet::cfbf
