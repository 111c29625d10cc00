#pragma once
// Fault injection on the replies: each kind draws from its own pseudo-random stream seeded
// from the one seed, so a run is repeatable and switching one kind on does not change the
// pattern of another.
#include <QByteArray>
#include <cstdint>
#include <random>

namespace devsim {

struct FaultConfig {
    uint64_t seed = 1;
    double dropReply = 0;     // reply withheld (the request was carried out)
    long long dropNth = 0;    // exactly the Nth reply withheld (1-based; 0: none)
    double corruptCrc = 0;    // reply sent with a wrong check code
    double wrongStation = 0;  // reply sent from another station address (valid check code)
    double stallMidFrame = 0; // first half of the reply sent, then silence
    double noise = 0;         // 1..4 random bytes sent before the reply
    int exception = 0;        // every request answered with this exception code (0: none)
    double exceptionRate = 0; // request refused with exception 04, not carried out
};

// What happens to one reply.
struct ReplyFate {
    bool drop = false;
    bool wrongStation = false;
    bool corruptCrc = false;
    bool stall = false;
    QByteArray noise;
};

class Faults {
public:
    explicit Faults(const FaultConfig& config);

    // The fate of the next reply.
    ReplyFate Next();
    // Whether the next request is refused with an exception instead of carried out.
    bool NextRefused() { return Hit(m_exception, m_config.exceptionRate); }
    // The bytes to send for a reply of that fate (empty when dropped).
    static QByteArray Apply(QByteArray reply, const ReplyFate& fate);

private:
    class Stream {
    public:
        Stream(uint64_t seed, uint32_t kind);
        double Uniform();           // [0, 1)
        uint32_t Below(uint32_t n); // [0, n)
    private:
        std::mt19937_64 m_gen;
    };
    static bool Hit(Stream& s, double p);

    FaultConfig m_config;
    long long m_replies = 0;
    Stream m_drop, m_corrupt, m_station, m_stall, m_noise, m_exception;
};

} // namespace devsim
