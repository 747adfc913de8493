# Tests that run several game processes at once count as that many jobs, so
# that ctest leaves them room on a small or busy machine. (Read by ctest after
# the discovered tests; a name that is gone is passed over.)
set_tests_properties("NetworkPlayTest.FourMachinesRunInStep"
                     "HostileNetworkTest.TheHonestMachinesStayInStepBesideAHostileOne"
                     PROPERTIES PROCESSORS 4)
set_tests_properties("NetworkPlayTest.ADifferingClientIsReportedBySubsystemAndTheGameGoesOn"
                     "NetworkPlayTest.APriceChangedOnAClientTakesEffectOnBothMachinesAtOneTick"
                     "NetworkPlayTest.TheHostsAndTheClientsSaveOfOneTickAreEqual"
                     "NetworkLobbyTest.TwoMachinesMeetInTheLobbyAndPlayADayInStep"
                     "NetworkEndTest.QuittingANetworkGameLeavesASinglePlayerMachine"
                     PROPERTIES PROCESSORS 2)
