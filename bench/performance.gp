# Exchanges per second against baud rate: the host against the simulator
# with wire timing, and the wire's limit for the same exchanges.
#   gnuplot -e "csv='wire.csv'; png='performance.png'" bench/performance.gp
# csv: the output of rio_wire_throughput --csv.
set datafile separator ","
set terminal pngcairo size 900,560 font "sans,10"
set output png
set title "mx43110 read (6 + 60 characters, 8N1) over a pseudo-terminal"
set xlabel "baud rate"
set ylabel "exchanges per second"
set logscale xy
set xrange [7000:1300000]
set yrange [8:3000]
set xtics ("9600" 9600, "19200" 19200, "57600" 57600, "115200" 115200, "230400" 230400, "460800" 460800, "921600" 921600)
set grid
set key top left
# 660 bits per exchange: (6 + 60) characters x 10 bits.
limit(baud) = baud / 660.0
host(col) = (strcol(1) eq "host" && column(3) == 1) ? column(col) : NaN
plot limit(x) with lines lw 2 lc rgb "#888888" title "wire limit", \
     csv using 2:(host(6)) with linespoints pt 7 ps 1.2 lw 2 lc rgb "#1f77b4" title "host against the simulator (median of 3 runs; labels: share of the limit)", \
     csv using 2:(host(6)):(sprintf("%.1f %%", 100 * column(8))) with labels offset 0,-1.2 font "sans,9" notitle
