"""Times scikit-image's reconstructions of one sinogram for the lab benchmark.

Usage: skimage_times.py SINOGRAM VIEWS BINS REPEATS
SINOGRAM holds VIEWS x BINS little-endian float32 counts, view 0 first, views over 360 degrees
(the angles Lumo uses: view v at 360 v / VIEWS degrees). Prints the median time in milliseconds
of skimage.transform.iradon (ramp filter) and of one iradon_sart iteration.
"""
import statistics
import sys
import time

import numpy as np
from skimage.transform import iradon, iradon_sart

path, views, bins, repeats = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
sinogram = np.fromfile(path, dtype="<f4").reshape(views, bins).T.astype(np.float64)
theta = np.arange(views) * 360.0 / views


def median_ms(run, n):
    times = []
    for _ in range(n):
        start = time.perf_counter()
        run()
        times.append((time.perf_counter() - start) * 1e3)
    return statistics.median(times)


print("iradon_ms %.3f" % median_ms(lambda: iradon(sinogram, theta, filter_name="ramp", output_size=bins), repeats))
print("sart_ms %.3f" % median_ms(lambda: iradon_sart(sinogram, theta), max(3, repeats // 2)))
