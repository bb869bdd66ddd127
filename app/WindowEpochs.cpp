// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowEpochs.h"

namespace orvane {

WindowEpochs::WindowEpochs()
{
    m_LiveReader.emplace(m_Live);
}

const EpochsWithStarts& WindowEpochs::LogEpochs(std::string_view text)
{
    if (!m_Log)
        m_Log = ReadEpochsWithStarts(text);
    return *m_Log;
}

void WindowEpochs::ForgetLog()
{
    m_Log.reset();
}

void WindowEpochs::StartLive()
{
    m_LiveReader.reset();
    m_Live = EpochLog{};
    m_LiveReader.emplace(m_Live);
}

void WindowEpochs::FeedLive(std::string_view text)
{
    m_LiveReader->Feed(text);
}

void WindowEpochs::FinishLive()
{
    m_LiveReader->Finish();
}

}  // namespace orvane
