# Under Wine, the tests share one Wine session: CTest starts Wine's server as a
# persistent process, and once Wine itself (which creates the prefix on its first
# start, about 15 s), both with their output sent to /dev/null, before any test, and
# stops them after the last. Otherwise the server and the services that the first
# test starts hold that test's output pipes open, and CTest waits on them. Every
# test run under Wine requires the fixture `wine`.
add_test(NAME wine_session_start
         COMMAND env ${MESHLIFT_WINE_ENVIRONMENT} sh -c
                 "wineserver -p >/dev/null 2>&1; wine cmd /c exit >/dev/null 2>&1 </dev/null")
add_test(NAME wine_session_stop
         COMMAND env ${MESHLIFT_WINE_ENVIRONMENT} sh -c "wineserver -k >/dev/null 2>&1; true")
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
