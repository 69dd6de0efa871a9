// The lock that keeps one operation at a time: what a start does with the lock
// file another start left behind.

#include "Okruzenje.h"
#include "platform/Brava.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <latch>
#include <memory>
#include <thread>
#include <vector>

namespace morvela::test {

TEST(Brava, ALockNamingNoLiveProcessOfThisComputerIsTakenOverByOneStartOnly) {
    TestOkruženje o;
    const QString dir = o.vanjski("Lokacija");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString put = dir + '/' + ImeBrave;
    const auto Ostavi = [&](const QByteArray& sadržaj, int starostSekundi) {
        TestOkruženje::Zapiši(put, sadržaj);
        QFile f(put);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-starostSekundi),
                      QFileDevice::FileModificationTime);
    };
    const struct {
        const char* naziv;
        QByteArray sadržaj;
        int starost;
        bool preuzima;
    } slučajevi[] = {
        {"empty: the start was killed before writing it", "", 3600, true},
        {"garbage after a power cut", QByteArray("\0\0\xff\xfe smeće\r\n", 13), 3600, true},
        {"empty and new: a start may be writing it now", "", 0, false},
        {"a process of another computer", "1\nMorvelaLiveUpdate21\nDRUGO-RACUNALO\ndrugi\ndrugo\n", 3600,
         false},
    };
    for (const auto& s : slučajevi) {
        SCOPED_TRACE(s.naziv);
        Ostavi(s.sadržaj, s.starost);
        Brava brava(dir);
        EXPECT_EQ(brava.Zaključaj(), s.preuzima);
        if (!s.preuzima) continue;
        // Now it names this process: the next start is turned away.
        EXPECT_FALSE(Brava(dir).Zaključaj());
        brava.Otključaj();
        EXPECT_FALSE(QFile::exists(put));
    }

    // Starts that find the same abandoned lock at once: never two of them run, and the lock does
    // not stay stuck (on Windows all may be turned away while the others read it).
    for (int kolo = 0; kolo < 50; ++kolo) {
        Ostavi("", 3600);
        std::vector<std::unique_ptr<Brava>> brave;
        for (int i = 0; i < 8; ++i)
            brave.push_back(std::make_unique<Brava>(dir));
        std::latch start(brave.size());
        std::atomic<int> zaključanih = 0;
        std::vector<std::thread> niti;
        for (auto& b : brave)
            niti.emplace_back([&start, &zaključanih, &b] {
                start.arrive_and_wait();
                zaključanih += b->Zaključaj();
            });
        for (std::thread& n : niti)
            n.join();
        ASSERT_LE(zaključanih, 1) << kolo;
        if (zaključanih == 0) {
            EXPECT_TRUE(Brava(dir).Zaključaj()) << kolo;
        }
    }
}

} // namespace morvela::test
