// The fuzzing corpus of the number conversions, replayed through the same
// property checks in every build (the fuzzing itself needs clang): each
// stored input, and a seeded sweep of doubles.

#define NUMBER_PROPERTIES_THROW
#include "fuzz/fuzz_numbers.cpp"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// The first property the input violates, or an empty text.
QString violation(const std::uint8_t* data, std::size_t size)
{
    try {
        LLVMFuzzerTestOneInput(data, size);
    } catch (const std::runtime_error& e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

} // namespace

class TestNumberCorpus : public QObject {
    Q_OBJECT

private slots:
    void everyStoredInputKeepsTheProperties()
    {
        const QString folder = QFINDTESTDATA("fuzz/corpus/numbers");
        QVERIFY2(!folder.isEmpty(), "the corpus folder is missing");
        const QFileInfoList inputs = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
        QVERIFY2(inputs.size() >= 24, "the corpus lost its inputs");
        for (const QFileInfo& input : inputs) {
            QFile file(input.filePath());
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(input.fileName()));
            const QByteArray bytes = file.readAll();
            const QString problem =
                violation(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size()));
            QVERIFY2(problem.isEmpty(), qPrintable(input.fileName() + QLatin1Char(' ') + problem));
        }
    }

    void doublesAroundTheEdgesKeepTheProperties()
    {
        // Neighbours of powers of ten, of halves, and of the largest and
        // smallest doubles, then random bit patterns.
        std::vector<double> values;
        for (int e = -320; e <= 308; ++e) {
            const double p = std::pow(10.0, e);
            for (const double v : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL)})
                values.insert(values.end(), {v, -v, v * 0.5, v * 1.5});
        }
        double edge = DBL_MAX;
        for (int k = 0; k < 64; ++k, edge = std::nextafter(edge, 0.0))
            values.push_back(edge);
        double tiny = 5e-324;
        for (int k = 0; k < 64; ++k, tiny = std::nextafter(tiny, 1.0))
            values.push_back(tiny);
        QRandomGenerator random(20240611);
        for (int k = 0; k < 20000; ++k) {
            const quint64 bits = random.generate64();
            double v = 0;
            std::memcpy(&v, &bits, sizeof v);
            values.push_back(v);
        }
        std::uint8_t input[sizeof(double) + 1];
        for (std::size_t k = 0; k < values.size(); ++k) {
            std::memcpy(input, &values[k], sizeof(double));
            input[sizeof(double)] = static_cast<std::uint8_t>(k);
            const QString problem = violation(input, sizeof input);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
    }
};

QTEST_APPLESS_MAIN(TestNumberCorpus)
#include "test_number_corpus.moc"
