// Answers the module's message boxes in tests: records every information box and question, and
// answers questions with `answer`. Installed for its lifetime.
#pragma once

#include "pages/common/MessageBox.h"

#include <mutex>
#include <string>
#include <vector>

namespace tqxtest {

class CMessageRecorder {
public:
    explicit CMessageRecorder(bool bAnswer = false) : answer(bAnswer)
    {
        SetMessageBoxHandler([this](const CMessageBoxRequest& request) {
            std::lock_guard lock(m_mutex);
            (request.bQuestion ? asked : texts).push_back(request.text.toStdString());
            requests.push_back(request);
            return answer;
        });
    }
    ~CMessageRecorder() { SetMessageBoxHandler({}); }
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;

    void clear()
    {
        std::lock_guard lock(m_mutex);
        texts.clear();
        asked.clear();
        requests.clear();
    }

    bool answer;
    std::vector<std::string> texts;  // information boxes, in order
    std::vector<std::string> asked;  // questions, in order
    std::vector<CMessageBoxRequest> requests;

private:
    std::mutex m_mutex;
};

} // namespace tqxtest
