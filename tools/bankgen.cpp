#include "tools/bankgen.h"

#include "platform/dataset/packet.h"
#include "platform/text/ansi.h"
#include "platform/text/apperror.h"
#include "tools/bankgen_data.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace bankgen {

namespace {

// Every row is status, flags, a 1-byte length, the 12-digit code and a 2-byte length before the
// name, after 81 bytes of metadata; so the names together take exactly this many bytes.
constexpr qsizetype kMetadataSize = 81;
constexpr qsizetype kRowOverhead = 1 + 1 + 1 + 12 + 2;
constexpr qsizetype kNameBytes =
    kPacketSize - kMetadataSize - kRowOverhead * static_cast<qsizetype>(kRows);
constexpr qsizetype kMinName = 8;
constexpr qsizetype kMaxName = 60;

constexpr char16_t kFirstName[] = u"中国建设银行股份有限公司西宁城西支行";

// Share of names, in per mille, that use the bank's legal name ("…股份有限公司") when the
// running size leaves the choice free.
constexpr int kLegalNamePerMille = 420;

// A small generator of our own, so the directory is the same with every compiler and library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Chance(int perMille) { return Below(1000) < perMille; }
    template <typename List>
    const auto& Pick(const List& list) {
        return list[static_cast<qsizetype>(Below(static_cast<int>(list.size())))];
    }

private:
    std::uint64_t state_;
};

QStringList Words(const char16_t* text) {
    return QString::fromUtf16(text).split(u' ', Qt::SkipEmptyParts);
}

QString Text(const char16_t* text) {
    return QString::fromUtf16(text);
}

// Bytes in GB18030: every character we use is ASCII or a two-byte GBK character.
qsizetype ByteLength(const QString& s) {
    qsizetype n = 0;
    for (QChar c : s) {
        n += c.unicode() < 0x80 ? 1 : 2;
    }
    return n;
}

struct Record {
    int bank = 0;
    int city = 0;
    int branch = 0;
};

// The last digit of a clearing number, a weighted sum of the first eleven.
int CheckDigit(const QString& eleven) {
    static constexpr int kWeights[11] = {3, 7, 9, 3, 7, 9, 3, 7, 9, 3, 7};
    int sum = 0;
    for (int i = 0; i < 11; ++i) {
        sum += (eleven[i].unicode() - u'0') * kWeights[i];
    }
    return (10 - sum % 10) % 10;
}

QString Code(const Record& r) {
    const QString eleven =
        QStringLiteral("%1%2%3")
            .arg(kBanks[static_cast<std::size_t>(r.bank)].code, 3, 10, QLatin1Char('0'))
            .arg(kCities[static_cast<std::size_t>(r.city)].area, 4, 10, QLatin1Char('0'))
            .arg(r.branch, 4, 10, QLatin1Char('0'));
    return eleven + QString::number(CheckDigit(eleven));
}

// Splits total into parts proportional to the weights (largest remainder).
std::vector<int> Apportion(const std::vector<int>& weights, int total) {
    long long sum = 0;
    for (int w : weights) {
        sum += w;
    }
    std::vector<int> parts(weights.size());
    std::vector<std::pair<long long, std::size_t>> remainders;
    int given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const long long exact = static_cast<long long>(weights[i]) * total;
        parts[i] = static_cast<int>(exact / sum);
        given += parts[i];
        remainders.emplace_back(exact % sum, i);
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int k = 0; given < total; ++k, ++given) {
        ++parts[remainders[static_cast<std::size_t>(k)].second];
    }
    return parts;
}

bool ServesCity(const Bank& bank, const City& city) {
    switch (bank.style) {
        case Style::CityBank:
            return city.cityBank[0] != u'\0';
        case Style::Fictional:
            return city.province == kSichuan;
        default:
            return true;
    }
}

// Every branch but the first: banks by their share, cities by their weight, and branch
// numbers counted up per bank category and area with small gaps.
std::vector<Record> MakeRecords(Rng& rng) {
    std::vector<int> weights;
    for (const Bank& b : kBanks) {
        weights.push_back(b.weight);
    }
    const std::vector<int> perBank = Apportion(weights, static_cast<int>(kRows) - 1);
    std::map<int, int> nextBranch;  // by category * 10000 + area
    std::vector<Record> records;
    records.reserve(kRows);
    for (std::size_t b = 0; b < kBanks.size(); ++b) {
        std::vector<std::size_t> cities;
        int cityWeights = 0;
        for (std::size_t c = 0; c < kCities.size(); ++c) {
            if (ServesCity(kBanks[b], kCities[c])) {
                cities.push_back(c);
                cityWeights += kCities[c].weight;
            }
        }
        for (int n = 0; n < perBank[b]; ++n) {
            int pick = rng.Below(cityWeights);
            std::size_t c = 0;
            for (std::size_t k = 0; k < cities.size(); ++k) {
                pick -= kCities[cities[k]].weight;
                if (pick < 0) {
                    c = cities[k];
                    break;
                }
            }
            const int key = kBanks[b].code * 10000 + kCities[c].area;
            const auto it = nextBranch.emplace(key, 1 + rng.Below(9)).first;
            int branch = it->second;
            // The first row of the directory holds 105-8510-0222.
            if (key == 1058510 && branch == 222) {
                ++branch;
            }
            if (branch > 9999) {
                throw AppError(QStringLiteral("bankgen: branch numbers run out for %1").arg(key));
            }
            it->second = branch + 1 + rng.Below(3);
            records.push_back({static_cast<int>(b), static_cast<int>(c), branch});
        }
    }
    return records;
}

// A branch name as a bank part and the rest; the bank part comes as the legal name
// ("…股份有限公司") and as the short name, which the size control chooses between.
struct NameParts {
    QString legalHead;
    QString shortHead;
    QString tail;
};

class Namer {
public:
    explicit Namer(Rng& rng)
        : rng_(rng),
          places_(Words(kPlaces)),
          latinPlaces_(Words(kLatinPlaces)),
          extras_(Words(u"自贸区 小企业 普惠 营业部 科技")),
          minor_(Words(u"分理处 储蓄所 营业室")),
          credit_(Words(u"信用社 信用分社 分社")) {
        for (const City& c : kCities) {
            districts_.push_back(Words(c.districts));
        }
    }

    NameParts Draw(const Record& r) {
        const Bank& bank = kBanks[static_cast<std::size_t>(r.bank)];
        const City& city = kCities[static_cast<std::size_t>(r.city)];
        const QString cityName = Text(city.name);
        const bool firstInCity = seen_.insert({r.bank, r.city}).second;
        // Each random part is drawn in a statement of its own, so that the draws come in the
        // same order with every compiler.
        NameParts n;
        switch (bank.style) {
            case Style::National:
            case Style::Policy:
            case Style::Postal:
            case Style::Fictional:
                n.shortHead = Text(bank.shortName);
                n.legalHead = n.shortHead + Text(bank.companyForm);
                n.tail = firstInCity ? cityName + Text(u"分行") : BranchTail(r, cityName);
                break;
            case Style::CityBank:
            case Style::RuralCommercial:
                n.shortHead = bank.style == Style::CityBank ? Text(city.cityBank)
                                                            : cityName + Text(u"农村商业银行");
                n.legalHead = n.shortHead + Text(bank.companyForm);
                n.tail = firstInCity ? QStringLiteral("营业部") : LocalTail(r);
                break;
            case Style::RuralCooperative:
                n.shortHead = cityName + Text(u"农村合作银行");
                n.legalHead = n.shortHead;
                n.tail = LocalTail(r);
                break;
            case Style::VillageBank:
                n.shortHead = cityName;
                n.shortHead += Place(r.city);
                n.shortHead += Text(u"村镇银行");
                n.legalHead = n.shortHead + Text(bank.companyForm);
                if (!rng_.Chance(400)) {
                    n.tail = Place(r.city);
                    n.tail += Text(u"支行");
                }
                break;
            case Style::RuralCredit:
                n.shortHead = cityName + Text(u"农村信用社");
                n.legalHead = cityName + Text(u"农村信用合作联社");
                if (rng_.Chance(40)) {
                    n.tail = QStringLiteral("营业部");
                } else if (rng_.Chance(60)) {
                    n.tail = QStringLiteral("_");
                    n.tail += Place(r.city);
                    n.tail += Text(u"信用社");
                } else {
                    n.tail = Place(r.city);
                    n.tail += rng_.Pick(credit_);
                }
                break;
        }
        return n;
    }

private:
    QString Place(int city) {
        const QStringList& districts = districts_[static_cast<std::size_t>(city)];
        if (!districts.isEmpty() && rng_.Chance(450)) {
            return rng_.Pick(districts);
        }
        return rng_.Pick(places_);
    }

    QString Kind() {
        int roll = rng_.Below(1000);
        for (const BranchKind& k : kBranchKinds) {
            roll -= k.perMille;
            if (roll < 0) {
                return Text(k.name);
            }
        }
        return QStringLiteral("支行");
    }

    QString Numeral() { return Text(kNumerals[static_cast<std::size_t>(rng_.Below(10))]); }

    // The forms of the rest of a name, after the bank part.
    enum class Form {
        PlaceKind,
        SubOffice,
        Numbered,
        BranchOffice,
        Latin,
        Bracketed,
        Digits,
        Provincial
    };
    struct FormShare {
        Form form;
        int national;  // per mille after a nationwide bank, whose tail starts with the city
        int local;     // per mille after a local bank, whose name already holds the city
    };
    static constexpr std::array kForms = {
        FormShare{Form::PlaceKind, 600, 800}, FormShare{Form::SubOffice, 140, 80},
        FormShare{Form::Numbered, 90, 60},    FormShare{Form::BranchOffice, 50, 0},
        FormShare{Form::Latin, 45, 30},       FormShare{Form::Bracketed, 30, 30},
        FormShare{Form::Digits, 20, 0},       FormShare{Form::Provincial, 25, 0},
    };

    QString BranchTail(const Record& r, const QString& city) { return Tail(r, city, true); }
    QString LocalTail(const Record& r) { return Tail(r, QString(), false); }

    QString Tail(const Record& r, const QString& city, bool national) {
        int roll = rng_.Below(1000);
        Form form = Form::PlaceKind;
        for (const FormShare& f : kForms) {
            roll -= national ? f.national : f.local;
            if (roll < 0) {
                form = f.form;
                break;
            }
        }
        QString t = city;
        switch (form) {
            case Form::PlaceKind:
                t += Place(r.city);
                t += Kind();
                break;
            case Form::SubOffice:  // "…支行<place>分理处"
                t += Place(r.city);
                t += Text(u"支行");
                t += rng_.Pick(places_);
                t += rng_.Pick(minor_);
                break;
            case Form::Numbered:  // "…第三储蓄所"
                t += Place(r.city);
                t += Text(u"第");
                t += Numeral();
                t += rng_.Pick(minor_);
                break;
            case Form::BranchOffice:
                t += Place(r.city);
                t += Text(u"支行营业部");
                break;
            case Form::Latin:
                t += rng_.Pick(latinPlaces_);
                t += Text(u"支行");
                break;
            case Form::Bracketed:  // "…支行(普惠)"
                t += Place(r.city);
                t += Text(u"支行(");
                t += rng_.Pick(extras_);
                t += u')';
                break;
            case Form::Digits:  // "…第12储蓄所"
                t += Place(r.city);
                t += Text(u"第");
                t += QString::number(1 + rng_.Below(30));
                t += Text(u"储蓄所");
                break;
            case Form::Provincial: {  // "…四川省成都<place>支行"
                const auto province =
                    static_cast<std::size_t>(kCities[static_cast<std::size_t>(r.city)].province);
                if (!kProvinces[province].municipality) {
                    t.prepend(Text(kProvinces[province].name));
                }
                t += Place(r.city);
                t += Text(u"支行");
                break;
            }
        }
        return t;
    }

    Rng& rng_;
    QStringList places_;
    QStringList latinPlaces_;
    QStringList extras_;
    QStringList minor_;
    QStringList credit_;
    std::vector<QStringList> districts_;
    std::set<std::pair<int, int>> seen_;
};

bool Fits(const QString& name) {
    const qsizetype n = ByteLength(name);
    return n >= kMinName && n <= kMaxName;
}

// Names for the records in order, steered so that they add up to exactly kNameBytes: while
// the running total stays near its share the bank part is chosen at random, otherwise the
// form that brings it back; the last name is searched for at the exact size left.
QStringList MakeNames(const std::vector<Record>& records, Rng& rng) {
    Namer namer(rng);
    QStringList names;
    QSet<QString> used;
    names.reserve(static_cast<qsizetype>(records.size()) + 1);
    names.append(Text(kFirstName));
    used.insert(names.front());
    qsizetype total = ByteLength(names.front());
    constexpr std::size_t kTightRows = 2000;

    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::size_t row = i + 1;
        const Record& r = records[i];
        QString chosen;
        if (row + 1 == kRows) {
            const qsizetype left = kNameBytes - total;
            for (int attempt = 0; attempt < 100000 && chosen.isEmpty(); ++attempt) {
                const NameParts parts = namer.Draw(r);
                for (const QString& name :
                     {parts.legalHead + parts.tail, parts.shortHead + parts.tail}) {
                    if (ByteLength(name) == left && !used.contains(name)) {
                        chosen = name;
                        break;
                    }
                }
            }
        } else {
            const qsizetype expected =
                kNameBytes * static_cast<qsizetype>(row + 1) / static_cast<qsizetype>(kRows);
            const qsizetype slack = row + kTightRows >= kRows ? 0 : 48;
            for (int attempt = 0; attempt < 1000 && chosen.isEmpty(); ++attempt) {
                const NameParts parts = namer.Draw(r);
                const bool legal = rng.Chance(kLegalNamePerMille);
                QString natural = (legal ? parts.legalHead : parts.shortHead) + parts.tail;
                QString other = (legal ? parts.shortHead : parts.legalHead) + parts.tail;
                if (!Fits(natural)) {
                    std::swap(natural, other);
                }
                if (!Fits(natural)) {
                    continue;
                }
                const auto drift = [&](const QString& name) {
                    return std::abs(total + ByteLength(name) - expected);
                };
                QString name = natural;
                if (drift(natural) > slack && Fits(other) && drift(other) < drift(natural)) {
                    name = other;
                }
                if (!used.contains(name)) {
                    chosen = name;
                }
            }
        }
        if (chosen.isEmpty()) {
            throw AppError(QStringLiteral("bankgen: found no name for row %1").arg(row + 1));
        }
        used.insert(chosen);
        total += ByteLength(chosen);
        names.append(chosen);
    }
    if (total != kNameBytes) {
        throw AppError(QStringLiteral("bankgen: names take %1 bytes instead of %2")
                           .arg(total)
                           .arg(kNameBytes));
    }
    return names;
}

}  // namespace

QByteArray GenerateDirectory() {
    Rng rng(20240611);
    std::vector<Record> records = MakeRecords(rng);
    // Rows in no particular order: shuffle everything after the fixed first row.
    for (std::size_t i = records.size(); i > 1; --i) {
        std::swap(records[i - 1],
                  records[static_cast<std::size_t>(rng.Below(static_cast<int>(i)))]);
    }
    const QStringList names = MakeNames(records, rng);

    PacketTable table;
    table.fields = {{QStringLiteral("BANKCODE"), 20, true}, {QStringLiteral("LNAME"), 255, false}};
    table.columns.resize(2);
    table.columns[0].Append(kFirstCode);
    for (const Record& r : records) {
        table.columns[0].Append(Code(r).toLatin1());
    }
    for (const QString& name : names) {
        const QByteArray bytes = ansi::Encode(name);
        if (bytes.size() != ByteLength(name)) {
            throw AppError(QStringLiteral("bankgen: %1 is not plain GBK").arg(name));
        }
        table.columns[1].Append(bytes);
    }
    QByteArray packet = WritePacket(table, {1, 2}, 3);
    if (packet.size() != kPacketSize) {
        throw AppError(QStringLiteral("bankgen: the packet has %1 bytes instead of %2")
                           .arg(packet.size())
                           .arg(kPacketSize));
    }
    return packet;
}

QString CheckDirectory(QByteArrayView packet) {
    try {
        const PacketTable table = ReadPacket(packet);
        if (table.fields.size() != 2 || table.fields[0].name != u"BANKCODE" ||
            table.fields[1].name != u"LNAME") {
            return QStringLiteral("the packet's columns are not BANKCODE and LNAME");
        }
        if (table.columns[0].RowCount() == 0) {
            return QStringLiteral("the packet holds no rows");
        }
        return {};
    } catch (const AppError& e) {
        return e.Message();
    }
}

}  // namespace bankgen
