#include "Faults.h"
#include "Frame.h"

namespace devsim {

Faults::Stream::Stream(uint64_t seed, uint32_t kind) {
    std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32), kind};
    m_gen.seed(seq);
}

double Faults::Stream::Uniform() {
    return static_cast<double>(m_gen() >> 11) * 0x1.0p-53;
}

uint32_t Faults::Stream::Below(uint32_t n) {
    return static_cast<uint32_t>(m_gen() % n);
}

bool Faults::Hit(Stream& s, double p) {
    // Always draw, so the pattern of a kind depends only on the seed and the reply count.
    return s.Uniform() < p;
}

Faults::Faults(const FaultConfig& config)
    : m_config(config), m_drop(config.seed, 1), m_corrupt(config.seed, 2),
      m_station(config.seed, 3), m_stall(config.seed, 4), m_noise(config.seed, 5),
      m_exception(config.seed, 6) {}

ReplyFate Faults::Next() {
    ++m_replies;
    ReplyFate fate;
    fate.drop = Hit(m_drop, m_config.dropReply) || m_replies == m_config.dropNth;
    fate.corruptCrc = Hit(m_corrupt, m_config.corruptCrc);
    fate.wrongStation = Hit(m_station, m_config.wrongStation);
    fate.stall = Hit(m_stall, m_config.stallMidFrame);
    if (Hit(m_noise, m_config.noise)) {
        const uint32_t count = 1 + m_noise.Below(4);
        for (uint32_t i = 0; i < count; ++i)
            fate.noise.append(static_cast<char>(m_noise.Below(256)));
    }
    return fate;
}

QByteArray Faults::Apply(QByteArray reply, const ReplyFate& fate) {
    if (fate.drop) return {};
    if (fate.wrongStation) {
        reply[0] = static_cast<char>(static_cast<uint8_t>(reply[0]) + 1);
        reply.chop(2);
        AppendCrc(reply);
    }
    if (fate.corruptCrc) {
        const qsizetype n = reply.size();
        reply[n - 2] = static_cast<char>(reply[n - 2] ^ 0xFF);
        reply[n - 1] = static_cast<char>(reply[n - 1] ^ 0xFF);
    }
    if (fate.stall) reply.truncate(reply.size() / 2);
    return fate.noise + reply;
}

} // namespace devsim
