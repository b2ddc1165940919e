#include "update/ListenerGate.h"

void ListenerGate::Attach(IUpdateListener* target) {
    std::lock_guard<std::mutex> lock(m_gateLock);
    m_target = target;
}

void ListenerGate::OnProgress(float percent) {
    std::lock_guard<std::mutex> lock(m_gateLock);
    if (m_target)
        m_target->OnProgress(percent);
}

void ListenerGate::OnStatusText(const char* text) {
    std::lock_guard<std::mutex> lock(m_gateLock);
    if (m_target)
        m_target->OnStatusText(text);
}

void ListenerGate::OnUpdateFinished() {
    std::lock_guard<std::mutex> lock(m_gateLock);
    if (m_target)
        m_target->OnUpdateFinished();
}

void ListenerGate::OnSelfUpdateStarted() {
    std::lock_guard<std::mutex> lock(m_gateLock);
    if (m_target)
        m_target->OnSelfUpdateStarted();
}
