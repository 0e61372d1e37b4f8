echo off
if exist "C:\100%% sure\QzSearchAndReplace.exe" goto CONVERT
echo *************************************************************************
echo * Rudize^&Darozad Edo is not installed any more                          *
echo * Please download it from                                               *
echo * http://www.example.org/qzsnr/index.php                                *
echo *************************************************************************
pause
goto END
:CONVERT
del tmpfilelist.snr
echo C:\data\R^&D ^<new^>.txt>> tmpfilelist.snr
del tmpfileOldtext.snr
<nul set /p "=on">> tmpfileOldtext.snr
echo.>> tmpfileOldtext.snr
echo./?>> tmpfileOldtext.snr
del tmpfileNewtext.snr
<nul set /p "=off">> tmpfileNewtext.snr
echo.>> tmpfileNewtext.snr
echo.   >> tmpfileNewtext.snr
"C:\100%% sure\QzSearchAndReplace.exe" -Ltmpfilelist.snr -OFtmpfileOldtext.snr -NFtmpfileNewtext.snr -CS1 -RE0 -G -B -C 
del tmpfilelist.snr
del tmpfileOldtext.snr
del tmpfileNewtext.snr
:END
