#include "hearingtest/response_button.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_host.h"
#include "platform/sim/sim_joystick.h"

namespace sonavel {
namespace {

struct Light : ResponseLight {
  void SetLightVisible(bool v) override { shown.push_back(v); }
  std::vector<bool> shown;
};

TEST(ResponseButton, KeyHandlersFollowCtrl) {
  struct Step {
    bool down;  // key-down, else key-up
    bool ctrl;
    bool pressed;
  };
  // CTRL held, then another key pressed and released while CTRL stays down: the release counts
  // as a release until the next key-down that carries CTRL (the auto-repeat of CTRL).
  const Step steps[] = {
      {true, true, true},   {true, true, true}, {false, true, false},  {true, true, true},
      {true, false, false}, {true, true, true}, {false, false, false},
  };
  bool pressed = false;
  for (const Step& s : steps) {
    if (s.down)
      FormKeyDown(pressed, 65, s.ctrl);
    else
      FormKeyUp(pressed, 65);
    EXPECT_EQ(pressed, s.pressed);
  }
}

TEST(ResponseButton, PollReadsTheControllerOnlyWhenItIsTheSource) {
  SimHost host;
  SimJoystick joystick(host);
  joystick.Press(1.0, 2.0, 0x4);  // button 3
  joystick.Press(3.0, 3.5, 0x2);  // button 2
  struct Case {
    double at;
    ResponseSource source;
    bool before;  // ButtonPressed as the key handlers left it
    bool pressed;
  };
  const Case cases[] = {
      {0.5, ResponseSource::Joystick, true, false},  // CTRL has no effect with the joystick
      {1.0, ResponseSource::Joystick, false, true}, {1.99, ResponseSource::Joystick, false, true},
      {2.0, ResponseSource::Joystick, true, false}, {3.2, ResponseSource::Joystick, false, true},
      {1.5, ResponseSource::CtrlKey, false, false},  // the controller has no effect with CTRL
      {0.5, ResponseSource::CtrlKey, true, true},
  };
  for (const Case& c : cases) {
    host.Advance(c.at - host.Seconds());
    Light light;
    bool pressed = c.before;
    bool heard = false;
    PollResponse(c.source, joystick, light, pressed, heard);
    EXPECT_EQ(pressed, c.pressed) << c.at;
    EXPECT_EQ(heard, c.pressed) << c.at;
    EXPECT_EQ(light.shown, std::vector<bool>{c.pressed}) << c.at;
  }
  // Once heard, a later poll with the button up does not take it back.
  Light light;
  bool pressed = false, heard = true;
  PollResponse(ResponseSource::CtrlKey, joystick, light, pressed, heard);
  EXPECT_TRUE(heard);
}

TEST(ResponseButton, NoControllerCountsAsNotPressed) {
  SimHost host;
  SimJoystick joystick(host);
  joystick.Set(0, 0xFFFF);
  EXPECT_TRUE(JoystickButtonDown(joystick));
  EXPECT_EQ(JoystickLightColour(joystick), 0x000000FFu);
  joystick.Connected = false;
  Light light;
  bool pressed = true, heard = false;
  PollResponse(ResponseSource::Joystick, joystick, light, pressed, heard);
  EXPECT_FALSE(pressed);
  EXPECT_FALSE(heard);
  EXPECT_EQ(JoystickLightColour(joystick), 0u);
}

}  // namespace
}  // namespace sonavel
