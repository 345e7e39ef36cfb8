# ondrel_events: the endpoint's events handed to a Qt thread as queued signals. Qt Core only, so
# that the ThreadSanitizer build, which builds no window, still checks the path from the
# receive thread to the user-interface thread. Included by src/app and by tests/app, whichever
# comes first defines it.
if(NOT TARGET ondrel_events)
  find_package(Qt6 QUIET COMPONENTS Core)
  if(Qt6Core_FOUND)
    add_library(ondrel_events STATIC
      ${CMAKE_CURRENT_LIST_DIR}/EndpointEvents.cpp ${CMAKE_CURRENT_LIST_DIR}/EndpointEvents.h)
    set_target_properties(ondrel_events PROPERTIES AUTOMOC ON)
    target_include_directories(ondrel_events PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(ondrel_events PUBLIC ondrel_core Qt6::Core)
    target_compile_definitions(ondrel_events PUBLIC QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS)
  endif()
endif()
