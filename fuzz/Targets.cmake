# One line per fuzz target: the components it links and the headers it cannot do without. The fault
# tests include this list too, to replay every seed and every saved crash in the normal test run.
tessaly_fuzzer(wide_text LIBS tessaly_support REQUIRES src/support/WideText.h)
tessaly_fuzzer(public_strings LIBS tessaly_support REQUIRES src/support/WideText.h)
tessaly_fuzzer(safe_format LIBS tessaly_support REQUIRES src/support/SafeFormat.h)
tessaly_fuzzer(ini LIBS tessaly_platform tessaly_support REQUIRES src/platform/IniFile.h)
tessaly_fuzzer(reg LIBS tessaly_platform tessaly_support REQUIRES src/platform/SettingsStore.h)
tessaly_fuzzer(xml_sections LIBS tessaly_config tessaly_support REQUIRES src/config/ConfigSection.h)
tessaly_fuzzer(reply_markers LIBS tessaly_redirect_worker tessaly_support REQUIRES src/redirect/worker/ReplyMarkers.h)
tessaly_fuzzer(classify_reply LIBS tessaly_login REQUIRES src/login/CVomoLogin.h)
tessaly_fuzzer(mask_url LIBS tessaly_login REQUIRES src/login/CVomoLogin.h)
tessaly_fuzzer(decipher_hex LIBS tessaly_login REQUIRES src/login/CipherLibrary.h)
tessaly_fuzzer(parse_ad_xml LIBS tessaly_prelogin tessaly_support REQUIRES src/prelogin/CGetPreloginInfo.h)
