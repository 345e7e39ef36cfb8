# ondrel_events: the endpoint's events handed to a Qt thread as queued signals, and the camera
# worker's ends handed back the same way. Qt Core only, so that the ThreadSanitizer build, which
# builds no window, still checks the paths from those threads to the user-interface thread. Included by src/app and by tests/app, whichever
# comes first defines it.
if(NOT TARGET ondrel_events)
  find_package(Qt6 QUIET COMPONENTS Core)
  if(Qt6Core_FOUND)
    add_library(ondrel_events STATIC
      ${CMAKE_CURRENT_LIST_DIR}/EndpointEvents.cpp ${CMAKE_CURRENT_LIST_DIR}/EndpointEvents.h
      ${CMAKE_CURRENT_LIST_DIR}/ThreadCameraWorker.cpp ${CMAKE_CURRENT_LIST_DIR}/ThreadCameraWorker.h)
    set_target_properties(ondrel_events PROPERTIES AUTOMOC ON)
    target_include_directories(ondrel_events PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(ondrel_events PUBLIC ondrel_core Qt6::Core)
    target_compile_definitions(ondrel_events PUBLIC QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS)
  endif()
endif()
