# Which Ed25519 key signs release manifests, and so which public half
# iupdater.exe trusts (LIFTORN_RELEASE_KEY):
#   LIFTORN_SIGNING_KEY empty or "dev": the build's own development key
#   (<key folder>/development.pem), as every test build has it;
#   a path: that key, which must be there. A key that has gone since it was
#   set stops the build rather than have the updater quietly trust another.
function(liftorn_choose_release_key signing_key key_folder out)
    if(signing_key STREQUAL "" OR signing_key STREQUAL "dev")
        set(${out} ${key_folder}/development.pem PARENT_SCOPE)
    elseif(EXISTS "${signing_key}" AND NOT IS_DIRECTORY "${signing_key}")
        set(${out} ${signing_key} PARENT_SCOPE)
    else()
        message(FATAL_ERROR "LIFTORN_SIGNING_KEY names ${signing_key}, which is not there. Make it readable "
                            "again (make dist SIGNING_KEY=...), or configure with -DLIFTORN_SIGNING_KEY=dev "
                            "to build with the development key on purpose.")
    endif()
endfunction()
