-- The lessons, one list of steps each, in the order of the Tutorials table
-- of scripts\default\levels.lua. A step is one of:
--   { say = text }: a message with an OK button; the lesson goes on when
--     the player presses it.
--   { act = text, wait = { events }, unlock = { controls }, arrow = { x, y },
--     start = function, place = "top" }: a message without a button, beside
--     the controls (the hub's Places), pointing at the control to use; the lesson goes on when one
--     of the tutorial events arrives. `unlock` lets the controls work again
--     (a lesson's `locked` list keeps them off until then) and `start` runs
--     as the step opens.
-- The waits name the player's game actions (TUT_EVENT_*) wherever a control
-- could do them, so a lesson follows what was done, not which button did it.

-- The business panel's price and stock arrows; a block or building picked
-- in the city itself.
PRICE_CHANGED = 7
PICKED_IN_CITY = -1
-- The card the city deals in the card lesson: a gift, played as it is shown.
LESSON_CARD = 1
Picked = { TUT_NAVIGATOR_PANEL, PICKED_IN_CITY }

-- Where the controls are on the 640 by 480 interface.
At = {
  navigator = { 76, 60 },
  infoButtons = { 433, 224 },
  leasePage = { 433, 248 },
  leaseButton = { 538, 325 },
  rightsPage = { 433, 272 },
  rightsButton = { 538, 265 },
  businessPanel = { 320, 300 },
  businessOk = { 480, 450 },
  cardButton = { 621, 66 },
  statistics = { 174, 172 },
  bidButtons = { 320, 425 },
}

InfoTabs = { TUT_MPP_INFOBUTTON_1, TUT_MPP_INFOBUTTON_2, TUT_MPP_INFOBUTTON_3, TUT_MPP_INFOBUTTON_4,
             TUT_MPP_INFOBUTTON_5, TUT_MPP_GREENBUTTON_1, TUT_MPP_GREENBUTTON_2, TUT_MPP_GREENBUTTON_3 }

LeaseStep = { act = 3781, wait = { TUT_EVENT_BLOCK_LEASED }, unlock = { TUT_MPP_BLOCK_BUYBLOCK },
              arrow = At.leasePage }
RightsStep = { act = 3782, wait = { TUT_BUILD_RIGHTS_BUTTON }, unlock = { TUT_BUILD_RIGHTS_BUTTON },
               arrow = At.rightsPage }
BusinessStep = { act = 3791, wait = { TUT_EVENT_BUSINESS_OPENED }, arrow = At.rightsPage,
                 start = function() Interface.SetTutorialType(0) end }

Lessons = {
  -- 1: the city.
  { locked = { TUT_MPP_BLOCK_BUYBLOCK, TUT_BUILD_RIGHTS_BUTTON },
    { say = 3760 },
    { say = 3761 },
    { act = 3762, wait = Picked, unlock = { TUT_NAVIGATOR_PANEL }, arrow = At.navigator },
    { act = 3763, wait = InfoTabs, unlock = InfoTabs, arrow = At.infoButtons },
    -- The day panel: what the people in the street do at each hour.
    { say = 3764, start = function() Interface.CreateEventList() end } },
  -- 2: leasing a block.
  { locked = { TUT_MPP_BLOCK_BUYBLOCK, TUT_BUILD_RIGHTS_BUTTON },
    { say = 3770 },
    { act = 3771, wait = Picked, arrow = At.navigator },
    { act = 3774, wait = { TUT_MPP_GREENBUTTON_2 }, arrow = At.leasePage },
    { act = 3772, wait = { TUT_EVENT_BLOCK_LEASED }, unlock = { TUT_MPP_BLOCK_BUYBLOCK }, arrow = At.leaseButton },
    { say = 3773 } },
  -- 3: building.
  { locked = { TUT_BUILD_RIGHTS_BUTTON, TUT_MPP_BUILDING_DEMOLISH },
    { say = 3780 },
    LeaseStep,
    RightsStep,
    { act = 3783, wait = { TUT_EVENT_CONSTRUCTION_STARTED }, arrow = At.rightsPage },
    { say = 3784 } },
  -- 4: opening a business.
  { locked = { TUT_MPP_BUILDING_DEMOLISH },
    { say = 3790 },
    LeaseStep,
    RightsStep,
    BusinessStep,
    { say = 3792 } },
  -- 5: prices and stock.
  { locked = { TUT_MPP_BUILDING_DEMOLISH, TUT_BAP_OK_BUTTON },
    { say = 3800 },
    LeaseStep,
    RightsStep,
    BusinessStep,
    { act = 3801, wait = { PRICE_CHANGED }, arrow = At.businessPanel, place = "top" },
    { act = 3802, wait = { TUT_BAP_OK_BUTTON }, unlock = { TUT_BAP_OK_BUTTON }, arrow = At.businessOk,
      place = "top" },
    { say = 3803 } },
  -- 6: rent.
  { locked = { TUT_MPP_BUILDING_DEMOLISH },
    { say = 3810 },
    LeaseStep,
    RightsStep,
    { act = 3811, wait = { TUT_EVENT_CONSTRUCTION_STARTED }, arrow = At.rightsPage,
      start = function() Interface.SetTutorialType(1) end },
    { say = 3812 } },
  -- 7: landscaping.
  { locked = { TUT_MPP_BUILDING_DEMOLISH },
    { say = 3820 },
    LeaseStep,
    RightsStep,
    { act = 3821, wait = { TUT_EVENT_CONSTRUCTION_STARTED }, arrow = At.rightsPage,
      start = function() Interface.SetTutorialType(2) end },
    { say = 3822 } },
  -- 8: auctions.
  { { say = 3830 },
    { act = 3831, wait = { TUT_BEGINAUCTION }, start = function() Game.StartAuction(HOLLYMEAD_AVENUE) end },
    { act = 3832, wait = { TUT_EVENT_BID_MADE }, arrow = At.bidButtons },
    { act = 3833, wait = { TUT_ENDAUCTION } },
    { say = 3834 } },
  -- 9: selling.
  { { say = 3840 },
    LeaseStep,
    { act = 3841, wait = { TUT_EVENT_BLOCK_RETURNED, TUT_EVENT_BUSINESS_SOLD }, arrow = At.leaseButton },
    { say = 3842 } },
  -- 10: chance cards.
  { { say = 3850 },
    { act = 3851, wait = { TUT_EVENT_CARD_PLAYED }, arrow = At.cardButton,
      start = function() Game.DealCard(LESSON_CARD) end },
    { say = 3852 },
    { say = 3853 } },
  -- 11: statistics.
  { { say = 3860 },
    { act = 3861, wait = { TUT_PCP_OPEN_CLOSE }, unlock = { TUT_PCP_OPEN_CLOSE }, arrow = At.statistics,
      place = "right" },
    { act = 3862, wait = { TUT_PCP_TOGGLE_OPTIONS_LEFT, TUT_PCP_TOGGLE_OPTIONS_RIGHT }, place = "right" },
    { say = 3863 } },
  -- 12: railroads and utilities.
  { locked = { TUT_BUILD_RIGHTS_BUTTON },
    { say = 3870 },
    { act = 3871, wait = { TUT_EVENT_BLOCK_LEASED }, unlock = { TUT_MPP_BLOCK_BUYBLOCK }, arrow = At.leasePage },
    { say = 3872 } },
  -- 13: winning.
  { { say = 3880 },
    { say = 3881 },
    { say = 3882 },
    { say = 3883 } },
}
