// The pure pieces of the SIP far end: response codes, the Replaces
// Refer-To, party ids, DTMF bodies, message summaries and SDP.
#include <sip/Sdp.h>
#include <sip/SipText.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct ModeRow {
    uint16_t status;
    DWORD mode;
};

class DisconnectModeTest : public ::testing::TestWithParam<ModeRow> {};

TEST_P(DisconnectModeTest, MapsFinalResponse)
{
    EXPECT_EQ(GetParam().mode, sip::disconnectModeFor(GetParam().status)) << GetParam().status;
}

INSTANTIATE_TEST_SUITE_P(Rows, DisconnectModeTest,
                         ::testing::Values(ModeRow{486, LINEDISCONNECTMODE_BUSY}, ModeRow{600, LINEDISCONNECTMODE_BUSY},
                                           ModeRow{603, LINEDISCONNECTMODE_REJECT},
                                           ModeRow{404, LINEDISCONNECTMODE_BADADDRESS},
                                           ModeRow{484, LINEDISCONNECTMODE_BADADDRESS},
                                           ModeRow{604, LINEDISCONNECTMODE_BADADDRESS},
                                           ModeRow{480, LINEDISCONNECTMODE_UNAVAIL},
                                           ModeRow{408, LINEDISCONNECTMODE_NOANSWER},
                                           ModeRow{403, LINEDISCONNECTMODE_BLOCKED},
                                           ModeRow{488, LINEDISCONNECTMODE_INCOMPATIBLE},
                                           ModeRow{606, LINEDISCONNECTMODE_INCOMPATIBLE},
                                           ModeRow{500, LINEDISCONNECTMODE_TEMPFAILURE},
                                           ModeRow{503, LINEDISCONNECTMODE_CONGESTION},
                                           ModeRow{487, LINEDISCONNECTMODE_NORMAL}));

TEST(SipText, NoFinalResponseIsNoAnswerOrUnreachable)
{
    EXPECT_EQ(DWORD(LINEDISCONNECTMODE_NOANSWER), sip::disconnectModeForError(ETIMEDOUT));
    EXPECT_EQ(DWORD(LINEDISCONNECTMODE_UNREACHABLE), sip::disconnectModeForError(ECONNREFUSED));
}

TEST(SipText, ReplacesIsEscapedWithTagsInOrder)
{
    EXPECT_EQ("<sip:203@pbx?Replaces=a1%40host%3Bto-tag%3Dt%3B1%3Bfrom-tag%3Df%3D2>",
              sip::referToReplacing("sip:203@pbx", "a1@host", "t;1", "f=2"));
    EXPECT_EQ("<sip:203@pbx?x=1&Replaces=c%3Bto-tag%3Dt%3Bfrom-tag%3Df>",
              sip::referToReplacing("sip:203@pbx?x=1", "c", "t", "f"));
}

TEST(SipText, RequestUris)
{
    EXPECT_EQ("sip:5550100@pbx:5070", sip::requestUriFor(" 555-0100 ", "pbx:5070"));
    EXPECT_EQ("sip:*21%23@pbx", sip::requestUriFor("*21#", "pbx"));
    EXPECT_EQ("sips:bob@example.org", sip::requestUriFor("sips:bob@example.org", "pbx"));
    EXPECT_EQ("", sip::requestUriFor("--", "pbx"));
    EXPECT_EQ("pbx.example.org:5060", sip::domainOf("sip:201@pbx.example.org:5060;transport=tcp"));
    EXPECT_EQ("127.0.0.1", sip::domainOf("sip:127.0.0.1"));
    EXPECT_EQ("", sip::domainOf("mailto:x@y"));
}

TEST(SipText, PartyIds)
{
    auto p = sip::partyIdFrom("\"Dora \\\"D\\\" Engel\" <sip:+495551234@pbx;user=phone>;tag=1", false);
    EXPECT_EQ(u"+495551234", p.number);
    EXPECT_EQ(u"Dora \"D\" Engel", p.name);
    EXPECT_EQ(DWORD(LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME), p.flags);
    EXPECT_EQ(u"+4930123", sip::partyIdFrom("<tel:+4930123;phone-context=x>", false).number);
    EXPECT_EQ(DWORD(LINECALLPARTYID_BLOCKED), sip::partyIdFrom("<sip:anonymous@anonymous.invalid>", false).flags);
    EXPECT_EQ(DWORD(LINECALLPARTYID_BLOCKED), sip::partyIdFrom("<sip:201@pbx>", true).flags);
    EXPECT_EQ(DWORD(LINECALLPARTYID_UNKNOWN), sip::partyIdFrom("\"unterminated <sip:1@x", false).flags);
    EXPECT_TRUE(sip::privacyHidesId("header; id"));
    EXPECT_FALSE(sip::privacyHidesId("none"));
}

TEST(SipText, DtmfBodies)
{
    EXPECT_EQ("Signal=#\r\nDuration=160\r\n", sip::dtmfRelayBody(u'#', 160));
    EXPECT_EQ(u'5', sip::dtmfDigitOf("Signal= 5\r\nDuration=250\r\n", true));
    EXPECT_EQ(u'*', sip::dtmfDigitOf("signal=10\n", true));
    EXPECT_EQ(u'A', sip::dtmfDigitOf("a", false));
    EXPECT_FALSE(sip::dtmfDigitOf("Signal=X\r\n", true));
    EXPECT_FALSE(sip::dtmfDigitOf("Duration=160", true));
}

TEST(SipText, MessageSummaryAndSipfrag)
{
    EXPECT_EQ(true, sip::messagesWaiting("Messages-Waiting: yes\r\nVoice-Message: 2/8 (0/2)\r\n"));
    EXPECT_EQ(false, sip::messagesWaiting("messages-waiting:no"));
    EXPECT_FALSE(sip::messagesWaiting("Voice-Message: 2/8"));
    EXPECT_EQ(200, sip::sipfragStatus("SIP/2.0 200 OK\r\n"));
    EXPECT_EQ(100, sip::sipfragStatus("SIP/2.0 100"));
    EXPECT_EQ(0, sip::sipfragStatus("SIP/2.0 20"));
    EXPECT_EQ(0, sip::sipfragStatus("HTTP/1.1 200 OK"));
}

TEST(SipText, Utf8)
{
    EXPECT_EQ(u"J\u00fcrgen \U0001F600", sip::fromUtf8("J\xc3\xbcrgen \xf0\x9f\x98\x80"));
    EXPECT_EQ(u"a\uFFFD\uFFFDb", sip::fromUtf8("a\xc0\xaf" "b"));
    EXPECT_EQ(u"\uFFFD\uFFFD", sip::fromUtf8("\xe2\x82"));
}

TEST(Sdp, ParsesFirstAudioStream)
{
    const auto sdp = sip::parseSdp("v=0\r\no=- 1 1 IN IP4 10.0.0.1\r\ns=-\r\nc=IN IP4 10.0.0.1\r\nt=0 0\r\n"
                                   "m=audio 4000 RTP/AVP 8 0 96\r\na=rtpmap:96 telephone-event/8000\r\n"
                                   "a=sendonly\r\nm=video 5000 RTP/AVP 31\r\na=inactive\r\n");
    ASSERT_TRUE(sdp);
    EXPECT_EQ("10.0.0.1", sdp->address);
    EXPECT_EQ(4000, sdp->port);
    EXPECT_TRUE(sdp->pcmu);
    EXPECT_EQ(96, sdp->telephoneEvent);
    EXPECT_EQ(sip::Direction::SendOnly, sdp->direction);
    EXPECT_FALSE(sip::parseSdp("v=0\r\nm=video 5000 RTP/AVP 31\r\n"));
    EXPECT_FALSE(sip::parseSdp("m=audio 99999999999 RTP/AVP 0"));
}

TEST(Sdp, AnswersTheMirrorDirection)
{
    using sip::Direction;
    EXPECT_EQ(Direction::RecvOnly, sip::answerDirection(Direction::SendOnly, Direction::SendRecv));
    EXPECT_EQ(Direction::Inactive, sip::answerDirection(Direction::Inactive, Direction::SendRecv));
    EXPECT_EQ(Direction::SendOnly, sip::answerDirection(Direction::SendRecv, Direction::SendOnly));
    EXPECT_EQ(Direction::Inactive, sip::answerDirection(Direction::SendOnly, Direction::SendOnly));
    const std::string text = sip::buildSdp({"127.0.0.1", 4002, Direction::SendOnly, 7, 2});
    EXPECT_NE(std::string::npos, text.find("m=audio 4002 RTP/AVP 0 101\r\n"));
    EXPECT_NE(std::string::npos, text.find("a=sendonly\r\n"));
}

} // namespace
