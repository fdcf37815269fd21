#include <window/testing/MessageBoxScript.h>

#include <window/Types.h>

namespace win::testing {

MessageBoxScript::MessageBoxScript()
{
    previous_ = SetMessageBoxHook([this](const MessageBoxRequest &request) {
        shown_.push_back(request);
        if (answers_.empty())
            return (request.type & MB_BUTTONMASK) == MB_YESNO ? IDNO : IDOK;
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

MessageBoxScript::~MessageBoxScript()
{
    SetMessageBoxHook(std::move(previous_));
}

} // namespace win::testing
