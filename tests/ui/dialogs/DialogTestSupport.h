// A known platform and exchange for the dialog tests, and a way to run a
// dialog modally with a scripted user.
#pragma once

#include "ExchangeSession.h"

#include <window/Dialog.h>
#include <window/Messages.h>
#include <window/testing/ModalScript.h>
#include <window/testing/TestEnvironment.h>

#include "TapiPump.h"

#include <functional>

class DialogTest : public ExchangeSessionTest {
protected:
    void SetUp() override
    {
        ExchangeSessionTest::SetUp();
        win::testing::ResetPlatform();
        SetTapiMessagePump(&win::PumpMessages);
    }
};

/// Runs `dialog` modally; `user` plays the user's part once it is shown and
/// must end it. Returns the modal result.
template <class Dlg> int RunModal(Dlg &dialog, std::function<void(Dlg &)> user)
{
    win::testing::OnNextModal([&dialog, user = std::move(user)](win::Dialog &shown) {
        EXPECT_EQ(&shown, &dialog);
        user(dialog);
    });
    return dialog.DoModal();
}
